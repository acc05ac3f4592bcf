// Decoding a sound clip as it plays: a clip is opened and probed at once, then decoded a piece at
// a time, so that a clip of any length costs only the memory of what is waiting to be played.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace raengine {

// The longest clip DecodeClip holds by default: bounds the memory a whole decoded clip may claim.
inline constexpr int kMaxClipSeconds = 3600;

// One clip being decoded: 16-bit interleaved samples at the clip's own rate, mixed down to stereo
// when it has more channels. Damaged packets are skipped; a read error or damage that cannot be
// passed ends the clip where it stands. Not thread-safe: one thread reads it at a time.
class ClipStream {
 public:
  // Opens the file and decodes up to its first sound, so that a file that cannot be read, holds
  // no audio or gives no sound at all is refused here (RA_E_...), never later while it plays.
  static std::unique_ptr<ClipStream> Open(const char* path, LONG& error);
  ~ClipStream();
  ClipStream(const ClipStream&) = delete;
  ClipStream& operator=(const ClipStream&) = delete;

  int Rate() const;
  int Channels() const;
  // The clip's length in sample frames: what its file declares, or when it declares nothing (or
  // only a bit rate to guess from) what a counting pass finds. The last frame Read gives may
  // differ for a damaged file.
  std::int64_t LengthFrames() const;
  // Copies up to `count` samples (whole frames) into `out`; 0 once the clip has ended.
  std::size_t Read(std::int16_t* out, std::size_t count);
  // Restarts decoding at sample frame `frame` (clamped to 0..LengthFrames()): from the nearest
  // point the file can seek to, decoding only the rest up to the frame. Returns the frame the
  // next Read starts at.
  std::int64_t SeekTo(std::int64_t frame);

  struct Decoder;

 private:
  explicit ClipStream(std::unique_ptr<Decoder> decoder);
  std::unique_ptr<Decoder> decoder_;
};

struct DecodedClip {
  LONG error = 0;                     // an RA_E_... code, or 0 (RA_OK)
  int rate = 0;                       // samples per second
  int channels = 0;                   // 1 or 2
  std::vector<std::int16_t> samples;  // interleaved, native byte order
};

// The whole clip at once, as ClipStream decodes it (the reference a played clip is compared to).
// Clips beyond maxSeconds are refused (RA_E_CLIP_TOO_LONG) before the memory is spent.
DecodedClip DecodeClip(const char* path, int maxSeconds = kMaxClipSeconds);

}  // namespace raengine
