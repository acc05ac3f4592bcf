#include "tests/support/generated_clips.h"

#include <string>

#include "tests/support/run_program.h"

namespace test_support {

bool MakeToneThenSilence(const std::filesystem::path& path, int seconds, double toneSeconds,
                         int rate) {
  const std::string rateText = std::to_string(rate);
  return RunProgram(
             {"/usr/bin/ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
              "sine=f=440:r=" + rateText + ":d=" + std::to_string(toneSeconds), "-f", "lavfi", "-i",
              "anullsrc=r=" + rateText + ":cl=mono:d=" + std::to_string(seconds - toneSeconds),
              "-filter_complex", "[0][1]concat=n=2:v=0:a=1", "-c:a", "libvorbis", "-q:a", "0",
              path.string()})
             .exitCode == 0;
}

bool MakeRamp(const std::filesystem::path& path, int seconds, int rate) {
  return RunProgram({"/usr/bin/ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                     "aevalsrc=" + std::to_string(kRampTop) + "*t/" + std::to_string(seconds) +
                         ":s=" + std::to_string(rate) + ":c=mono:d=" + std::to_string(seconds),
                     "-c:a", "flac", path.string()})
             .exitCode == 0;
}

double RampFrame(int sample, int seconds, int rate) {
  return static_cast<double>(sample) / 32767.0 / kRampTop * seconds * rate;
}

}  // namespace test_support
