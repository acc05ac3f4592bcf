// NViewLibLoad of a 6000 x 4000 JPEG, loaded through the real module as the saver loads it,
// beside djpeg decoding the same file (to /dev/null). Prints the median of several runs of each
// and their ratio. The picture is made at start with cjpeg from a generated PPM.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/gdi/gdi_probe.h"
#include "platform/win32.h"

extern char** environ;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kRuns = 7;

using LoadFunction = HBITMAP(WINAPI*)(LPCSTR, int);

// A photo-like picture: smooth gradients with fine detail, so the JPEG is of a usual size.
void WritePpm(const std::filesystem::path& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << kWidth << ' ' << kHeight << "\n255\n";
  std::vector<char> row(static_cast<std::size_t>(kWidth) * 3);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const std::size_t at = static_cast<std::size_t>(x) * 3;
      row[at] = static_cast<char>((x * 255 / kWidth + (x * y) % 7) & 0xFF);
      row[at + 1] = static_cast<char>((y * 255 / kHeight + (x ^ y) % 5) & 0xFF);
      row[at + 2] = static_cast<char>(((x + y) / 40 * 17) & 0xFF);
    }
    out.write(row.data(), static_cast<std::streamsize>(row.size()));
  }
}

int Run(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

template <class Work>
double MedianMs(Work work) {
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (!work()) return -1;
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("bench-decode-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string ppm = (folder / "picture.ppm").string();
  const std::string jpeg = (folder / "picture.jpg").string();
  WritePpm(ppm);
  if (Run({"cjpeg", "-quality", "90", "-outfile", jpeg, ppm}) != 0) {
    std::fprintf(stderr, "bench_decode: cjpeg failed (install libjpeg-turbo-progs)\n");
    return 1;
  }
  std::filesystem::remove(ppm);

  HMODULE module = LoadLibrary("NViewLib.dll");
  auto load = module == nullptr ? nullptr
                                : reinterpret_cast<LoadFunction>(reinterpret_cast<void*>(
                                      GetProcAddress(module, "NViewLibLoad")));
  if (load == nullptr) {
    std::fprintf(stderr, "bench_decode: libnviewlib.so not found beside the program\n");
    return 1;
  }
  const double ours = MedianMs([&] {
    HBITMAP bitmap = load(jpeg.c_str(), 0);
    return bitmap != nullptr && DeleteObject(bitmap) != FALSE;
  });
  const double djpeg = MedianMs([&] { return Run({"djpeg", "-outfile", "/dev/null", jpeg}) == 0; });
  std::printf("6000x4000 JPEG (%.1f MB), median of %d runs:\n",
              static_cast<double>(std::filesystem::file_size(jpeg)) / 1e6, kRuns);
  std::printf("  NViewLibLoad + DeleteObject  %8.1f ms\n", ours);
  std::printf("  djpeg (process, to /dev/null) %7.1f ms\n", djpeg);
  std::printf("  ratio NViewLibLoad / djpeg    %7.2f\n", ours / djpeg);
  FreeLibrary(module);
  std::filesystem::remove_all(folder);
  return ours < 0 || djpeg < 0 ? 1 : 0;
}
