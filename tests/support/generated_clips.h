// Sound clips made with ffmpeg at run time, for tests that need lengths or contents the sample
// clips do not have (an hour and more, a ramp that tells where it is).
#pragma once

#include <filesystem>

namespace test_support {

// A 440 Hz tone for `toneSeconds`, then silence up to `seconds`, mono at `rate` Hz, in Ogg
// Vorbis. Cheap even for hours at a low rate (70 minutes at 8 kHz: about 3 s and 380 KB).
bool MakeToneThenSilence(const std::filesystem::path& path, int seconds, double toneSeconds,
                         int rate);

// A mono FLAC clip of `seconds` at `rate` Hz whose every sample says where it is: the value
// rises evenly from 0 to kRampTop over the clip (lossless, so a decoded sample gives its place).
inline constexpr double kRampTop = 0.9;
bool MakeRamp(const std::filesystem::path& path, int seconds, int rate);

// The frame a ramp sample stands at.
double RampFrame(int sample, int seconds, int rate);

}  // namespace test_support
