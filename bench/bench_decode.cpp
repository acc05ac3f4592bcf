// NViewLibLoad of each picture format, loaded through the real module as the saver loads it,
// beside that format's own reference decoder run as a process that writes its pixels to
// /dev/null. Prints, per format, the median of several runs of each, their ratio and the goal,
// and how many page faults a load cost. The pictures are made at start from one generated photo
// (cjpeg, cwebp, ImageMagick).
//   bench_decode [--no-reference] [jpeg|png|webp|tiff|gif|bmp|pcx ...]
// Names choose formats (all by default); --no-reference times NViewLibLoad alone, for profiling.
// Other options are ignored.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "platform/gdi/pixel_memory.h"
#include "platform/win32.h"

namespace {

constexpr int kRuns = 9;

using LoadFunction = HBITMAP(WINAPI*)(LPCSTR, int);

struct Format {
  const char* name;
  int width;
  int height;
  double goal;  // the largest ratio allowed
  // How the file is made from source.ppm (FILE stands for the file), and the reference decoder
  // (its standard output goes to /dev/null).
  std::vector<std::string> make;
  std::vector<std::string> reference;
};

const char* const kFile = "FILE";

std::vector<Format> Formats() {
  // Photos of a few megapixels; the JPEG is a 24-megapixel camera's.
  return {
      {"jpeg",
       6000,
       4000,
       1.1,
       {"cjpeg", "-quality", "90", "-outfile", kFile, "SOURCE"},
       {"djpeg", kFile}},
      {"png",
       3000,
       2000,
       1.5,
       {"/usr/bin/convert", "SOURCE", "PNG24:FILE"},
       {"pngtopnm", "-quiet", kFile}},
      {"webp",
       3000,
       2000,
       1.5,
       {"cwebp", "-quiet", "-q", "90", "SOURCE", "-o", kFile},
       {"dwebp", "-quiet", "-ppm", kFile, "-o", "-"}},
      {"tiff",
       3000,
       2000,
       1.5,
       {"/usr/bin/convert", "SOURCE", "-compress", "LZW", "TIFF:FILE"},
       {"tifftopnm", "-quiet", kFile}},
      {"gif",
       3000,
       2000,
       1.5,
       {"/usr/bin/convert", "SOURCE", "GIF:FILE"},
       {"giftopnm", "-quiet", kFile}},
      {"bmp",
       3000,
       2000,
       1.5,
       {"/usr/bin/convert", "SOURCE", "BMP3:FILE"},
       {"bmptopnm", "-quiet", kFile}},
      {"pcx",
       3000,
       2000,
       1.5,
       {"/usr/bin/convert", "SOURCE", "PCX:FILE"},
       {"pcxtoppm", "-quiet", kFile}},
  };
}

// `words` with FILE and SOURCE (alone or inside a word) replaced.
std::vector<std::string> Fill(const std::vector<std::string>& words, const std::string& file,
                              const std::string& source) {
  std::vector<std::string> filled;
  for (std::string word : words) {
    for (const auto& [mark, value] :
         {std::pair{std::string("FILE"), file}, std::pair{std::string("SOURCE"), source}}) {
      const std::size_t at = word.find(mark);
      if (at != std::string::npos) word.replace(at, mark.size(), value);
    }
    filled.push_back(word);
  }
  return filled;
}

// The median; -1 when any time is -1 (a run that failed).
double Median(std::vector<double> times) {
  if (std::find(times.begin(), times.end(), -1.0) != times.end()) return -1;
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

}  // namespace

int main(int argc, char** argv) {
  bool reference = true;
  std::set<std::string> chosen;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--no-reference") reference = false;
    if (argument.rfind("--", 0) != 0) chosen.insert(argument);
  }

  HMODULE module = LoadLibrary("NViewLib.dll");
  auto load = module == nullptr ? nullptr
                                : reinterpret_cast<LoadFunction>(reinterpret_cast<void*>(
                                      GetProcAddress(module, "NViewLibLoad")));
  if (load == nullptr) {
    std::fprintf(stderr, "bench_decode: libnviewlib.so not found beside the program\n");
    return 1;
  }
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("bench-decode-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);

  std::printf(
      "NViewLibLoad + DeleteObject (the module, pixels into a GDI bitmap, as the show loads a\n"
      "picture; its pixel memory reused from one load to the next) beside the format's reference\n"
      "decoder (a process writing its pixels to /dev/null, its start included); median of %d\n"
      "runs of each, taken in turns.\n\n",
      kRuns);
  std::printf("%-5s %-10s %8s %9s %12s  %-10s %9s %6s %6s\n", "", "picture", "file MB", "ours ms",
              "faults/load", "reference", "ref ms", "ratio", "goal");
  int failures = 0;
  for (const Format& format : Formats()) {
    if (!chosen.empty() && chosen.count(format.name) == 0) continue;
    const std::string source =
        (folder / (std::to_string(format.width) + "x" + std::to_string(format.height) + ".ppm"))
            .string();
    if (!std::filesystem::exists(source)) bench::WritePhotoPpm(source, format.width, format.height);
    const std::string file = (folder / (std::string("picture.") + format.name)).string();
    if (bench::Run(Fill(format.make, file, source)) != 0) {
      std::fprintf(stderr, "bench_decode: could not make the %s file (%s)\n", format.name,
                   format.make.front().c_str());
      ++failures;
      continue;
    }

    // Taken in turns, so that whatever else the machine does weighs on both alike.
    const std::vector<std::string> tool = Fill(format.reference, file, source);
    std::vector<double> ourTimes;
    std::vector<double> theirTimes;
    long faults = 0;
    for (int run = 0; run < kRuns; ++run) {
      const long faultsBefore = MinorFaults();
      ourTimes.push_back(bench::MedianMs(1, [&] {
        HBITMAP bitmap = load(file.c_str(), 0);
        return bitmap != nullptr && DeleteObject(bitmap) != FALSE;
      }));
      faults += MinorFaults() - faultsBefore;
      if (reference) {
        theirTimes.push_back(bench::MedianMs(1, [&] { return bench::RunToNull(tool) == 0; }));
      }
    }
    const double ours = Median(ourTimes);
    const double theirs = reference ? Median(theirTimes) : 0;

    char picture[32];
    std::snprintf(picture, sizeof picture, "%dx%d", format.width, format.height);
    std::printf("%-5s %-10s %8.1f %9.1f %12.0f  %-10s", format.name, picture,
                static_cast<double>(std::filesystem::file_size(file)) / 1e6, ours,
                static_cast<double>(faults) / kRuns, tool.front().c_str());
    if (reference && theirs > 0) {
      std::printf(" %9.1f %6.2f %6.1f%s\n", theirs, ours / theirs, format.goal,
                  ours / theirs > format.goal ? "  over" : "");
    } else {
      std::printf(" %9s\n", reference ? "failed" : "-");
    }
    std::fflush(stdout);
    if (ours < 0 || theirs < 0) ++failures;
  }
  const platform::gdi::PixelMemoryFigures memory = platform::gdi::PixelMemoryNow();
  std::printf(
      "\npixel memory: at most %.1f MiB mapped at once, %zu mappings made, %.1f MiB kept as the "
      "spare\n",
      static_cast<double>(memory.peakMappedBytes) / (1 << 20), memory.mappingsMade,
      static_cast<double>(memory.spareBytes) / (1 << 20));
  FreeLibrary(module);
  std::filesystem::remove_all(folder);
  return failures == 0 ? 0 : 1;
}
