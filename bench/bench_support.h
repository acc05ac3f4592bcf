// What several benchmarks share: a photo-like test picture, running a tool, and the median of
// timed runs.
#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace bench {

// Writes a photo-like binary PPM of this size: smooth gradients with fine detail.
void WritePhotoPpm(const std::string& path, int width, int height);

// Writes a photo-like JPEG of this size (quality 90, through cjpeg); false when cjpeg failed.
bool WritePhotoJpeg(const std::string& path, int width, int height);

// Runs a program found on PATH and waits for it; its exit code, -1 when it did not run.
int Run(std::vector<std::string> arguments);

// The same with the program's standard output sent to /dev/null.
int RunToNull(std::vector<std::string> arguments);

// The median time of `runs` calls of `work` in milliseconds; -1 as soon as one fails.
template <class Work>
double MedianMs(int runs, Work work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (!work()) return -1;
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace bench
