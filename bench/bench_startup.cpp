// Time from starting `tavrin /s` to its logo on the screen, watched with XGetImage on the root
// window. Prints each run and the median in milliseconds. The first tick waits 50 ms by design;
// that wait is part of the figure. Extra command-line options are ignored. TAVRIN_BENCH_PROGRAM
// names another saver to start, TAVRIN_BENCH_LAUNCHER a program to start it with (wine, for the
// Windows build).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int LogoWidth = 548;
constexpr int LogoHeight = 139;
constexpr int Runs = 7;

bool LogoShown(Display* display, int x, int y) {
  XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, LogoWidth, LogoHeight,
                            AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  bool drawn = false;
  for (int row = 0; row < LogoHeight && !drawn; ++row) {
    for (int column = 0; column < LogoWidth && !drawn; ++column) {
      drawn = (XGetPixel(image, column, row) & 0xFFFFFF) != 0;
    }
  }
  XDestroyImage(image);
  return drawn;
}

void BlankRoot(Display* display) {
  const Window root = DefaultRootWindow(display);
  XSetWindowBackground(display, root, BlackPixel(display, DefaultScreen(display)));
  XClearWindow(display, root);
  XSync(display, False);
}

}  // namespace

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "bench_startup: no X display\n");
    return 1;
  }
  // An empty store: the show starts with its defaults and the logo.
  char folder[] = "/tmp/tavrin-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  setenv("XDG_CONFIG_HOME", folder, 1);

  const char* program = std::getenv("TAVRIN_BENCH_PROGRAM");
  if (program == nullptr || *program == '\0') program = TAVRIN_PROGRAM;
  const char* launcher = std::getenv("TAVRIN_BENCH_LAUNCHER");
  if (launcher != nullptr && *launcher == '\0') launcher = nullptr;

  const int x = (DisplayWidth(display, DefaultScreen(display)) - LogoWidth) / 2;
  const int y = (DisplayHeight(display, DefaultScreen(display)) - LogoHeight) / 2;
  std::vector<double> times;
  for (int run = 0; run < Runs; ++run) {
    BlankRoot(display);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      if (launcher != nullptr) {
        execlp(launcher, launcher, program, "/s", static_cast<char*>(nullptr));
      } else {
        execl(program, program, "/s", static_cast<char*>(nullptr));
      }
      _exit(127);
    }
    bool shown = false;
    while (!shown && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
      shown = LogoShown(display, x, y);
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    // A window can outlive its launcher for a moment (under Wine, its server ends it): the next
    // run starts once the screen is clear, or it would time the last run's logo.
    const auto ended = std::chrono::steady_clock::now();
    while (LogoShown(display, x, y) &&
           std::chrono::steady_clock::now() - ended < std::chrono::seconds(10)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!shown) {
      std::fprintf(stderr, "bench_startup: no logo within 10 s\n");
      return 1;
    }
    times.push_back(took.count());
    std::printf("start to logo: %.1f ms\n", took.count());
  }
  std::sort(times.begin(), times.end());
  std::printf("start to logo, median of %d: %.1f ms\n", Runs, times[times.size() / 2]);
  std::filesystem::remove_all(folder);
  XCloseDisplay(display);
  return 0;
}
