// Decoding a whole sound clip into memory: the engine's clips are short, and holding them decoded
// lets playback run with no decoding on the audio thread.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32.h"

namespace raengine {

// The longest clip the engine takes: bounds the memory a clip may claim (about 690 MB at 48 kHz
// stereo), whatever its file declares.
inline constexpr int kMaxClipSeconds = 3600;

struct DecodedClip {
  LONG error = 0;                     // an RA_E_... code, or 0 (RA_OK)
  int rate = 0;                       // samples per second
  int channels = 0;                   // 1 or 2
  std::vector<std::int16_t> samples;  // interleaved, native byte order
};

// Decodes the first audio stream of the file at `path` into 16-bit samples at the clip's own
// rate, mixed down to stereo when it has more channels. Damaged packets are skipped and a
// truncated file gives what precedes the damage; only a clip with no sound at all is a decoding
// failure. Clips beyond maxSeconds are refused (RA_E_CLIP_TOO_LONG) before the memory is spent.
DecodedClip DecodeClip(const char* path, int maxSeconds = kMaxClipSeconds);

}  // namespace raengine
