// Windows: NViewLibLoad of a picture through NViewLib.dll, as the saver loads it, beside a plain
// libjpeg-turbo decode of the same file into RGB rows, as djpeg does it. Prints each run and the
// medians in milliseconds.
//   bench_windows_decode FILE.jpg [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "platform/win32.h"

// jpeglib.h takes size_t and FILE from whoever includes it.
#include <jpeglib.h>

namespace {

double Milliseconds(const std::function<bool()>& run) {
  const auto start = std::chrono::steady_clock::now();
  if (!run()) return -1;
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// What djpeg does by default: the whole picture as RGB rows, each written out (here: dropped).
bool DecodeLikeDjpeg(const char* path) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  jpeg_decompress_struct decoder{};
  jpeg_error_mgr errors{};
  decoder.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&decoder);
  jpeg_stdio_src(&decoder, file);
  jpeg_read_header(&decoder, TRUE);
  decoder.out_color_space = JCS_RGB;
  jpeg_start_decompress(&decoder);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(decoder.output_width) * 3);
  JSAMPROW rows[] = {row.data()};
  while (decoder.output_scanline < decoder.output_height) jpeg_read_scanlines(&decoder, rows, 1);
  jpeg_finish_decompress(&decoder);
  jpeg_destroy_decompress(&decoder);
  std::fclose(file);
  return true;
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_windows_decode FILE.jpg [RUNS]\n");
    return 2;
  }
  const char* path = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  HMODULE library = LoadLibraryA("NViewLib.dll");
  using Load = HBITMAP(WINAPI*)(LPCSTR, int);
  const auto load =
      library == nullptr
          ? nullptr
          : reinterpret_cast<Load>(  // NOLINT: GetProcAddress's type
                reinterpret_cast<void (*)()>(GetProcAddress(library, "NViewLibLoad")));
  if (load == nullptr) {
    std::fprintf(stderr, "bench_windows_decode: no NViewLibLoad in NViewLib.dll\n");
    return 1;
  }
  std::vector<double> library_times;
  std::vector<double> djpeg_times;
  for (int run = 0; run < runs; ++run) {
    const double loaded = Milliseconds([&] {
      HBITMAP bitmap = load(path, 0);
      if (bitmap == nullptr) return false;
      DeleteObject(bitmap);
      return true;
    });
    const double decoded = Milliseconds([&] { return DecodeLikeDjpeg(path); });
    if (loaded < 0 || decoded < 0) {
      std::fprintf(stderr, "bench_windows_decode: %s did not decode\n", path);
      return 1;
    }
    std::printf("NViewLibLoad %.1f ms, libjpeg-turbo as djpeg %.1f ms\n", loaded, decoded);
    library_times.push_back(loaded);
    djpeg_times.push_back(decoded);
  }
  const double library_median = Median(library_times);
  const double djpeg_median = Median(djpeg_times);
  std::printf("median of %d: NViewLibLoad %.1f ms, as djpeg %.1f ms (%.2f times)\n", runs,
              library_median, djpeg_median, library_median / djpeg_median);
  FreeLibrary(library);
  return 0;
}
