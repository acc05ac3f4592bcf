// NViewLibLoad of a 6000 x 4000 JPEG, loaded through the real module as the saver loads it,
// beside djpeg decoding the same file (to /dev/null). Prints the median of several runs of each
// and their ratio. The picture is made at start with cjpeg from a generated PPM.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_support.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/win32.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kRuns = 7;

using LoadFunction = HBITMAP(WINAPI*)(LPCSTR, int);

}  // namespace

int main() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("bench-decode-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string jpeg = (folder / "picture.jpg").string();
  if (!bench::WritePhotoJpeg(jpeg, kWidth, kHeight)) {
    std::fprintf(stderr, "bench_decode: cjpeg failed (install libjpeg-turbo-progs)\n");
    return 1;
  }

  HMODULE module = LoadLibrary("NViewLib.dll");
  auto load = module == nullptr ? nullptr
                                : reinterpret_cast<LoadFunction>(reinterpret_cast<void*>(
                                      GetProcAddress(module, "NViewLibLoad")));
  if (load == nullptr) {
    std::fprintf(stderr, "bench_decode: libnviewlib.so not found beside the program\n");
    return 1;
  }
  const double ours = bench::MedianMs(kRuns, [&] {
    HBITMAP bitmap = load(jpeg.c_str(), 0);
    return bitmap != nullptr && DeleteObject(bitmap) != FALSE;
  });
  const double djpeg = bench::MedianMs(kRuns, [&] {
    return bench::Run({"djpeg", "-outfile", "/dev/null", jpeg}) == 0;
  });
  std::printf("6000x4000 JPEG (%.1f MB), median of %d runs:\n",
              static_cast<double>(std::filesystem::file_size(jpeg)) / 1e6, kRuns);
  std::printf("  NViewLibLoad + DeleteObject  %8.1f ms\n", ours);
  std::printf("  djpeg (process, to /dev/null) %7.1f ms\n", djpeg);
  std::printf("  ratio NViewLibLoad / djpeg    %7.2f\n", ours / djpeg);
  FreeLibrary(module);
  std::filesystem::remove_all(folder);
  return ours < 0 || djpeg < 0 ? 1 : 0;
}
