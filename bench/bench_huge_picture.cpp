// The show while it decodes a 256-megapixel picture or meets a huge file that is no picture, in
// the real `tavrin /s`:
//   - key to exit: a key pressed while the 16384 x 16384 PNG is being decoded, to the process's
//     end (each run and the median, in milliseconds; the aim is under 100 ms);
//   - peak memory (ru_maxrss) of a whole show whose playlist is a 1 GiB sparse file named .jpg
//     (the aim is under 50 MB);
//   - peak memory of a show of a 6000 x 4000 JPEG (91.6 MiB of pixels) on the X screen
//     (run-benchmarks: 1920x1080). Set beside the show with no picture: the difference is the
//     picture's own cost. The aim of 119 MiB was set before the program linked the clip
//     player's FFmpeg and SDL, whose library pages now add about 20 MiB to every show.
// `bench_huge_picture memory` prints the memory figures alone; other options are ignored.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "settings/settings.h"
#include "tests/support/big_files.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 5;
constexpr std::int64_t kMiB = std::int64_t{1} << 20;

std::int64_t ResidentBytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stoll(line.substr(6)) * 1024;
  }
  return 0;
}

pid_t StartShow() {
  char program[] = TAVRIN_PROGRAM;
  char mode[] = "/s";
  char* arguments[] = {program, mode, nullptr};
  pid_t pid = 0;
  return posix_spawn(&pid, program, nullptr, nullptr, arguments, environ) == 0 ? pid : -1;
}

void PressKey(Display* display) {
  const KeyCode key = XKeysymToKeycode(display, XK_space);
  XTestFakeKeyEvent(display, key, True, 0);
  XTestFakeKeyEvent(display, key, False, 0);
  XFlush(display);
}

void StorePlaylist(const std::string& path) {
  WriteSetting(nullptr, "The Gig", "Images", "1");
  WriteSetting(nullptr, "The Gig", "P0", path.c_str());
  WriteSetting(nullptr, "Settings", "EffectDelay", "1");
}

// One show of the huge PNG: milliseconds from a key pressed once the show holds `resident` bytes
// to its end; -1 when that was never seen.
double KeyToExitMs(Display* display, std::int64_t resident) {
  const pid_t show = StartShow();
  if (show < 0) return -1;
  const auto limit = Clock::now() + std::chrono::seconds(30);
  while (ResidentBytes(show) <= resident && Clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const auto pressed = Clock::now();
  PressKey(display);
  int status = 0;
  waitpid(show, &status, 0);
  if (pressed >= limit) return -1;
  return std::chrono::duration<double, std::milli>(Clock::now() - pressed).count();
}

// Peak memory of one show of the playlist stored, in MiB; -1 when it did not run.
double PeakMiB(Display* display) {
  const pid_t show = StartShow();
  if (show < 0) return -1;
  // Past the moment the file was due (a second after the logo) and refused.
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  PressKey(display);
  int status = 0;
  rusage usage{};
  if (wait4(show, &status, 0, &usage) != show) return -1;
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool memoryOnly = argc > 1 && std::string(argv[1]) == "memory";
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "bench_huge_picture: no X display\n");
    return 1;
  }
  char folder[] = "/tmp/tavrin-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  setenv("XDG_CONFIG_HOME", folder, 1);
  const std::string png = std::string(folder) + "/huge.png";
  const std::string sparse = std::string(folder) + "/huge.jpg";
  const std::string photo = std::string(folder) + "/photo.jpg";
  if ((!memoryOnly && !test_support::WriteFlatPng(png, 16384, 16384, 0xFF0000)) ||
      !test_support::WriteSparseFile(sparse, std::int64_t{1} << 30) ||
      !bench::WritePhotoJpeg(photo, 6000, 4000)) {
    return 1;
  }

  StorePlaylist(png);
  // The picture's memory is touched only as its rows are decoded: a quarter of them, then nearly
  // all.
  const struct {
    const char* when;
    std::int64_t resident;
  } moments[] = {{"a quarter of its rows decoded", 256 * kMiB},
                 {"nearly all its rows decoded", 1040 * kMiB}};
  for (const auto& moment : moments) {
    if (memoryOnly) break;
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
      const double ms = KeyToExitMs(display, moment.resident);
      std::printf("key to exit during a 256-megapixel decode, %s, run %d: %.1f ms\n", moment.when,
                  run + 1, ms);
      if (ms >= 0) times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    if (!times.empty()) {
      std::printf("key to exit during a 256-megapixel decode, %s, median: %.1f ms\n", moment.when,
                  times[times.size() / 2]);
    }
  }

  StorePlaylist(sparse);
  std::printf("peak memory of a show whose playlist is a 1 GiB non-picture: %.1f MiB\n",
              PeakMiB(display));
  StorePlaylist(photo);
  std::printf("peak memory of a show of a 6000x4000 JPEG on a %dx%d screen: %.1f MiB\n",
              DisplayWidth(display, DefaultScreen(display)),
              DisplayHeight(display, DefaultScreen(display)), PeakMiB(display));
  StorePlaylist("");
  std::printf("peak memory of a show with no picture at all, for comparison: %.1f MiB\n",
              PeakMiB(display));

  std::filesystem::remove_all(folder);
  XCloseDisplay(display);
  return 0;
}
