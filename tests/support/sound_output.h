// Sound played into SDL's disk driver and read back, and the process's thread count: how tests
// see that a clip played exactly and that nothing keeps playing afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace test_support {

// Points SDL's disk driver at a fresh file named after the running test, paced at about thirty
// times real time (unpaced, an open device floods the file with silence); removes the file
// again. Install before the sound device opens.
class DiskSoundOutput {
 public:
  DiskSoundOutput();
  ~DiskSoundOutput();
  DiskSoundOutput(const DiskSoundOutput&) = delete;
  DiskSoundOutput& operator=(const DiskSoundOutput&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The 16-bit samples written so far.
  std::vector<std::int16_t> Samples() const;

 private:
  std::filesystem::path path_;
};

std::vector<std::int16_t> ReadSamples(const std::filesystem::path& path);

// Where `part` starts in `whole`, from `from` on; npos when it is not there.
std::size_t FindSamples(const std::vector<std::int16_t>& whole,
                        const std::vector<std::int16_t>& part, std::size_t from = 0);

std::size_t ThreadCount();

}  // namespace test_support
