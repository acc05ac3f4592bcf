#include "libs/raengine/decode_ahead.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

namespace raengine {

void DecodeAhead::Start(ClipStream& stream, SampleRing& ring, std::size_t piece) {
  Stop();
  stopping_ = false;
  thread_ = std::thread([this, &stream, &ring, piece] { Run(stream, ring, piece); });
}

void DecodeAhead::Stop() {
  if (!thread_.joinable()) return;
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void DecodeAhead::Run(ClipStream& stream, SampleRing& ring, std::size_t piece) {
  std::vector<std::int16_t> samples(piece);
  std::size_t held = 0;  // decoded samples the ring had no room for yet
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      // The callback's wake-up may come between the check and the wait: the time-out covers it,
      // well within what the ring holds.
      wake_.wait_for(lock, std::chrono::milliseconds(20),
                     [&] { return stopping_ || ring.Room() >= piece; });
      if (stopping_) return;
    }
    if (held == 0) {
      held = stream.Read(samples.data(), piece);
      if (held == 0) {
        ring.MarkEnded();
        return;
      }
    }
    const std::size_t written = ring.Write(samples.data(), held);
    held -= written;
    if (held > 0) {
      std::copy(samples.begin() + static_cast<std::ptrdiff_t>(written),
                samples.begin() + static_cast<std::ptrdiff_t>(written + held), samples.begin());
    }
  }
}

}  // namespace raengine
