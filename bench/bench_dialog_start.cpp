// Time from starting `tavrin /c` to its configuration dialog on the screen: mapped and with its
// controls drawn. Prints each run and the median in milliseconds. Extra options are ignored.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace {

constexpr char kTitle[] = "Tavrin Screen Saver Configuration";
constexpr int kRuns = 9;

// Mapped, and more than one colour in it: the toolkit has painted the controls.
bool DialogShown(Display* display) {
  const Window window = e2e::FindWindowByTitle(display, kTitle);
  XWindowAttributes attributes{};
  if (window == 0 || XGetWindowAttributes(display, window, &attributes) == 0 ||
      attributes.map_state != IsViewable) {
    return false;
  }
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  const unsigned long first = XGetPixel(image, 0, 0);
  bool painted = false;
  for (int y = 0; y < attributes.height && !painted; y += 3) {
    for (int x = 0; x < attributes.width && !painted; x += 3) {
      painted = XGetPixel(image, x, y) != first;
    }
  }
  XDestroyImage(image);
  return painted;
}

}  // namespace

int main() {
  const e2e::DisplayPtr display(XOpenDisplay(nullptr));
  if (!display) {
    std::fprintf(stderr, "bench_dialog_start: no X display\n");
    return 1;
  }
  // An empty store: the dialog opens with the defaults.
  char folder[] = "/tmp/tavrin-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  setenv("XDG_CONFIG_HOME", folder, 1);

  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = e2e::StartProgram(TAVRIN_PROGRAM, {"/c"});
    const bool shown =
        e2e::WaitUntil([&] { return DialogShown(display.get()); }, std::chrono::seconds(10));
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    if (!shown) {
      std::fprintf(stderr, "bench_dialog_start: no dialog within 10 s\n");
      return 1;
    }
    times.push_back(took.count());
    std::printf("start to dialog: %.1f ms\n", took.count());
  }
  std::sort(times.begin(), times.end());
  std::printf("start to dialog, median of %d: %.1f ms\n", kRuns, times[times.size() / 2]);
  std::filesystem::remove_all(folder);
  return 0;
}
