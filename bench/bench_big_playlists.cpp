// Playlists of many entries. The real `tavrin /c`: from its start to the dialog drawn with
// N entries in each list, and from Enter (OK, which writes both lists back) to its exit, for N of
// 1,000, 10,000 and 20,000, with the growth from 1,000 to 20,000 (20 when the time grows
// linearly), and the time to write every entry anew. Then the slide show's tick on the headless
// backend: from the tick to the start of the transition (the entry read, the picture decoded, the
// effect begun) with 10 and 20,000 entries. Prints a table.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "effects/transition_context.h"
#include "platform/headless/headless.h"
#include "platform/win32.h"
#include "saver/picture_library.h"
#include "saver/slide_show.h"
#include "settings/settings.h"
#include "tests/e2e/e2e_support.h"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;
constexpr char kTitle[] = "Tavrin Screen Saver Configuration";

// A store whose playlists hold `entries` pictures and as many clips; returns how long writing
// them took, every value a new one, as a save in which every entry changed writes them.
double StorePlaylists(const std::filesystem::path& home, int entries, const std::string& picture,
                      const std::string& clip) {
  std::filesystem::remove_all(home);
  std::filesystem::create_directories(home);
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  const auto start = Clock::now();
  for (int i = 0; i < entries; ++i) {
    const std::string index = std::to_string(i);
    WriteSetting(nullptr, "The Gig", ("P" + index).c_str(), picture.c_str());
    WriteSetting(nullptr, "The Gig", ("S" + index).c_str(), clip.c_str());
  }
  WriteSetting(nullptr, "The Gig", "Images", std::to_string(entries).c_str());
  WriteSetting(nullptr, "The Gig", "Songs", std::to_string(entries).c_str());
  return Milliseconds(Clock::now() - start).count();
}

struct DialogTimes {
  double open = -1;
  double ok = -1;
};

DialogTimes TimeDialog(Display* display) {
  DialogTimes times;
  const auto start = Clock::now();
  const pid_t dialog = e2e::StartProgram(TAVRIN_PROGRAM, {"/c"});
  Window window = 0;
  const bool shown = e2e::WaitUntil(
      [&] {
        window = e2e::FindWindowByTitle(display, kTitle);
        XWindowAttributes attributes{};
        return window != 0 && XGetWindowAttributes(display, window, &attributes) != 0 &&
               attributes.map_state == IsViewable &&
               e2e::AnythingDrawn(display, window, 0, 0, attributes.width, attributes.height);
      },
      std::chrono::seconds(120));
  if (shown) {
    times.open = Milliseconds(Clock::now() - start).count();
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const KeyCode enter = XKeysymToKeycode(display, XK_Return);
    const auto pressed = Clock::now();
    XTestFakeKeyEvent(display, enter, True, 0);
    XTestFakeKeyEvent(display, enter, False, 0);
    XSync(display, False);
    const auto code = e2e::WaitForExit(dialog, std::chrono::seconds(300));
    if (code && *code == 1) times.ok = Milliseconds(Clock::now() - pressed).count();
  }
  if (!e2e::WaitForExit(dialog, std::chrono::milliseconds(0))) {
    kill(dialog, SIGKILL);
    waitpid(dialog, nullptr, 0);
  }
  return times;
}

// The tick that follows the logo, with the last entry of the playlist coming up: the entry read,
// the picture decoded, the transition begun (the "Normal" effect, which copies at once).
double TimeTick(int entries, const std::string& picture, const std::filesystem::path& home) {
  StorePlaylists(home, entries, picture, "");
  WriteSetting(nullptr, "Settings", "Effect", "0");
  LoadSettings(nullptr);
  HWND window = CreateWindowExA(0, "STATIC", "", WS_VISIBLE, 0, 0, 1920, 1080, nullptr, nullptr,
                                nullptr, nullptr);
  constexpr int kRuns = 9;
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    SlideShow.CurrentPicture = SaverSettings.PictureCount - 1;
    const auto start = Clock::now();
    ShowNextPicture(window);
    times.push_back(Milliseconds(Clock::now() - start).count());
  }
  DestroyWindow(window);
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  const e2e::DisplayPtr display(XOpenDisplay(nullptr));
  if (!display) {
    std::fprintf(stderr, "bench_big_playlists: no X display\n");
    return 1;
  }
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("bench-playlists-" + std::to_string(getpid()));
  const std::string picture = std::string(TAVRIN_PICTURES_DIR) + "/sample-3-wash-400x300.bmp";
  const std::string clip = std::string(TAVRIN_CLIPS_DIR) + "/chime.ra";
  headless::Install(1920, 1080);

  std::printf("%-26s %10s %10s %18s\n", "entries in each list", "open (ms)", "OK (ms)",
              "all written (ms)");
  std::vector<DialogTimes> rows;
  for (const int entries : {1000, 10000, 20000}) {
    const double written = StorePlaylists(home, entries, picture, clip);
    const DialogTimes times = TimeDialog(display.get());
    if (times.open < 0 || times.ok < 0) {
      std::fprintf(stderr, "bench_big_playlists: the dialog with %d entries %s\n", entries,
                   times.open < 0 ? "did not open" : "did not end with OK");
      std::filesystem::remove_all(home);
      return 1;
    }
    std::printf("%-26d %10.0f %10.0f %18.0f\n", entries, times.open, times.ok, written);
    rows.push_back(times);
  }
  std::printf("growth from 1,000 to 20,000 entries (20 is linear): open %.1f, OK %.1f\n",
              rows.back().open / rows.front().open, rows.back().ok / rows.front().ok);

  if (!BindPictureLibrary()) {
    std::fprintf(stderr, "bench_big_playlists: no picture library beside the program\n");
    return 1;
  }
  for (const int entries : {10, 20000}) {
    std::printf("show: tick to transition start with %5d entries, median of 9: %.2f ms\n", entries,
                TimeTick(entries, picture, home));
  }
  ReleasePictureLibrary();
  std::filesystem::remove_all(home);
  return 0;
}
