// The thread that decodes a clip ahead of its playing, keeping its ring filled.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "libs/raengine/clip_decoder.h"
#include "libs/raengine/sample_ring.h"

namespace raengine {

class DecodeAhead {
 public:
  DecodeAhead() = default;
  ~DecodeAhead() { Stop(); }
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // Fills `ring` from `stream` in pieces of `piece` samples until the clip ends (then marks the
  // ring ended) or Stop. Both must outlive the thread (Stop or destruction).
  void Start(ClipStream& stream, SampleRing& ring, std::size_t piece);
  // Ends the thread and waits for it; nothing of the clip is touched afterwards.
  void Stop();
  // Tells the thread that room has been made. Safe from the audio callback: never blocks.
  void Wake() noexcept { wake_.notify_one(); }

 private:
  void Run(ClipStream& stream, SampleRing& ring, std::size_t piece);

  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace raengine
