#include "tests/support/sound_output.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace test_support {

namespace fs = std::filesystem;

DiskSoundOutput::DiskSoundOutput()
    : path_(fs::temp_directory_path() /
            ("tavrin-sound-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".raw")) {
  fs::remove(path_);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "1", 1);
}

DiskSoundOutput::~DiskSoundOutput() {
  std::error_code ignored;
  fs::remove(path_, ignored);
}

std::vector<std::int16_t> DiskSoundOutput::Samples() const {
  return ReadSamples(path_);
}

std::vector<std::int16_t> ReadSamples(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
  std::vector<std::int16_t> samples(bytes.size() / 2);
  // No output yet (nothing played) reads as no samples; memcpy takes no null even for no bytes.
  if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

std::size_t FindSamples(const std::vector<std::int16_t>& whole,
                        const std::vector<std::int16_t>& part, std::size_t from) {
  if (from > whole.size()) return std::string::npos;
  const auto found =
      std::search(whole.begin() + static_cast<long>(from), whole.end(), part.begin(), part.end());
  return found == whole.end() ? std::string::npos : static_cast<std::size_t>(found - whole.begin());
}

std::size_t ThreadCount() {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()));
}

}  // namespace test_support
