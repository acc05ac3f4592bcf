// The tavrin program on a real X server: what it shows, how it ends, and its exit codes.
// GoogleTest comes before Xlib, whose macros (None, Bool) break its headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "settings/settings.h"
#include "tests/e2e/e2e_support.h"
#include "tests/platform/kernel/temp_config_home.h"
#include "tests/saver/saver_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

class SaverEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    display_.reset(XOpenDisplay(nullptr));
    ASSERT_NE(display_, nullptr) << "no X display";
    screenWidth_ = DisplayWidth(display_.get(), DefaultScreen(display_.get()));
    screenHeight_ = DisplayHeight(display_.get(), DefaultScreen(display_.get()));
    Blank(DefaultRootWindow(display_.get()));
  }
  void TearDown() override {
    for (const pid_t pid : running_) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }

  Display* X() { return display_.get(); }

  void Blank(Window window) {
    XSetWindowBackground(X(), window, BlackPixel(X(), DefaultScreen(X())));
    XClearWindow(X(), window);
    XSync(X(), False);
  }

  // A BMP picture at playlist entry P0, EffectDelay 1 s.
  void StorePicture(int width, int height) {
    const std::string path = config_.Folder() + "/picture.bmp";
    const std::vector<std::uint8_t> bmp = saver_test::MakeBmp(width, height, 1);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
    WriteSetting(nullptr, "The Gig", "Images", "1");
    WriteSetting(nullptr, "The Gig", "P0", path.c_str());
    WriteSetting(nullptr, "Settings", "EffectDelay", "1");
  }

  pid_t Start(const std::vector<std::string>& arguments) {
    const pid_t pid = e2e::StartProgram(TAVRIN_PROGRAM, arguments);
    running_.push_back(pid);
    return pid;
  }
  std::optional<int> Finish(pid_t pid, std::chrono::milliseconds limit) {
    const std::optional<int> code = e2e::WaitForExit(pid, limit);
    if (code) std::erase(running_, pid);
    return code;
  }
  int Run(const std::vector<std::string>& arguments) {
    return Finish(Start(arguments), std::chrono::seconds(10)).value_or(-999);
  }

  std::uint32_t Pixel(Window window, int x, int y) {
    XImage* image = XGetImage(X(), window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xFFFFFFFF;
    const std::uint32_t pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
  }
  bool AnythingDrawn(Window window, int x, int y, int width, int height) {
    return e2e::AnythingDrawn(X(), window, x, y, width, height);
  }
  // Waits up to 5 s for the logo, centred in `window` of width x height.
  bool WaitForLogo(Window window, int width, int height) {
    using saver_test::LogoHeight;
    using saver_test::LogoWidth;
    return e2e::WaitUntil(
        [&] {
          return AnythingDrawn(window, (width - LogoWidth) / 2, (height - LogoHeight) / 2,
                               LogoWidth, LogoHeight);
        },
        std::chrono::seconds(5));
  }
  Window MakeParent(int width, int height) {
    const Window window =
        XCreateSimpleWindow(X(), DefaultRootWindow(X()), 10, 10, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, 0, 0);
    XMapWindow(X(), window);
    XSync(X(), False);
    return window;
  }
  void PressKey() {
    const KeyCode key = XKeysymToKeycode(X(), XK_space);
    XTestFakeKeyEvent(X(), key, True, 0);
    XTestFakeKeyEvent(X(), key, False, 0);
    XFlush(X());
  }
  void MovePointer(int x, int y) {
    XTestFakeMotionEvent(X(), DefaultScreen(X()), x, y, 0);
    XFlush(X());
  }

  TempConfigHome config_;
  e2e::DisplayPtr display_;
  int screenWidth_ = 0;
  int screenHeight_ = 0;
  std::vector<pid_t> running_;
};

TEST_F(SaverEndToEnd, FullScreenShowsTheLogoThenThePictureCentredPixelExact) {
  constexpr int Width = 301;
  constexpr int Height = 201;
  StorePicture(Width, Height);
  const Window root = DefaultRootWindow(X());
  const pid_t saver = Start({"/s"});
  ASSERT_TRUE(WaitForLogo(root, screenWidth_, screenHeight_));

  const int x = (screenWidth_ - Width) / 2;
  const int y = (screenHeight_ - Height) / 2;
  ASSERT_TRUE(e2e::WaitUntil(
      [&] {
        return Pixel(root, x + Width - 1, y + Height - 1) ==
               saver_test::PicturePixel(1, Width - 1, Height - 1);
      },
      std::chrono::seconds(5)));
  // The whole picture at its place, black around it.
  XImage* image = XGetImage(X(), root, 0, 0, static_cast<unsigned>(screenWidth_),
                            static_cast<unsigned>(screenHeight_), AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  int wrong = 0;
  for (int row = 0; row < screenHeight_; ++row) {
    for (int column = 0; column < screenWidth_; ++column) {
      const bool inside = column >= x && column < x + Width && row >= y && row < y + Height;
      const std::uint32_t expected = inside ? saver_test::PicturePixel(1, column - x, row - y) : 0;
      if ((XGetPixel(image, column, row) & 0xFFFFFF) != expected) ++wrong;
    }
  }
  XDestroyImage(image);
  EXPECT_EQ(wrong, 0);

  PressKey();
  EXPECT_EQ(Finish(saver, std::chrono::seconds(5)), 0);
}

TEST_F(SaverEndToEnd, KeyPressEndsTheShowWithExitCodeZero) {
  StorePicture(64, 64);
  const Window root = DefaultRootWindow(X());
  const pid_t saver = Start({"/s"});
  ASSERT_TRUE(WaitForLogo(root, screenWidth_, screenHeight_));
  const auto pressed = Clock::now();
  PressKey();
  EXPECT_EQ(Finish(saver, std::chrono::seconds(5)), 0);
  const auto took =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - pressed).count();
  std::printf("tavrin ended %lld ms after the key press\n", static_cast<long long>(took));
}

// The show closes as a key would close it, then the process ends by the signal that ended it, so
// its caller (XScreenSaver) sees a normal end rather than an exit code.
TEST_F(SaverEndToEnd, TerminationSignalsCloseTheShowThenEndTheProcessByTheSameSignal) {
  const Window root = DefaultRootWindow(X());
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    StorePicture(64, 64);
    const auto storeBefore = e2e::StoreContents(config_.Registry());
    const pid_t saver = Start({"/s"});
    ASSERT_TRUE(WaitForLogo(root, screenWidth_, screenHeight_));
    kill(saver, signal);
    const std::optional<int> status = e2e::WaitForStatus(saver, std::chrono::seconds(5));
    ASSERT_TRUE(status.has_value());
    std::erase(running_, saver);
    EXPECT_TRUE(WIFSIGNALED(*status)) << "wait status " << *status;
    EXPECT_EQ(WIFSIGNALED(*status) ? WTERMSIG(*status) : 0, signal);
    // The full-screen window is gone: the root shows again.
    EXPECT_TRUE(
        e2e::WaitUntil([&] { return !AnythingDrawn(root, 0, 0, screenWidth_, screenHeight_); },
                       std::chrono::seconds(2)));
    EXPECT_EQ(e2e::StoreContents(config_.Registry()), storeBefore);
  }
}

// "Snake" one pixel at a time takes about half a minute for a 64 x 64 picture at the default
// pace: a key press or SIGTERM lands in the middle of it and must still end the saver at once.
TEST_F(SaverEndToEnd, KeyPressOrSigtermDuringALongTransitionEndTheShow) {
  for (const bool bySignal : {false, true}) {
    StorePicture(64, 64);
    WriteSetting(nullptr, "Settings", "Effect", "12");
    WriteSetting(nullptr, "Settings", "EffectDir", "2");
    WriteSetting(nullptr, "Settings", "GrainSize", "1");
    const Window root = DefaultRootWindow(X());
    const pid_t saver = Start({"/s"});
    ASSERT_TRUE(WaitForLogo(root, screenWidth_, screenHeight_));
    // The picture period is 1 s: by then the transition has begun, and it runs for far longer.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const auto stopped = Clock::now();
    if (bySignal) {
      kill(saver, SIGTERM);
    } else {
      PressKey();
    }
    EXPECT_EQ(Finish(saver, std::chrono::seconds(5)), bySignal ? 128 + SIGTERM : 0)
        << (bySignal ? "SIGTERM" : "key");
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - stopped).count();
    std::printf("tavrin ended %lld ms after the %s during a transition\n",
                static_cast<long long>(took), bySignal ? "SIGTERM" : "key press");
  }
}

TEST_F(SaverEndToEnd, PreviewAndWindowIdDrawInsideTheGivenWindowAndIgnoreInput) {
  StorePicture(64, 64);
  // A preview box: stretched logo, input ignored, ended when the box goes.
  const Window box = MakeParent(320, 240);
  const pid_t preview = Start({"/p", std::to_string(box)});
  ASSERT_TRUE(
      e2e::WaitUntil([&] { return AnythingDrawn(box, 0, 0, 320, 240); }, std::chrono::seconds(5)));
  MovePointer(100, 100);
  MovePointer(200, 200);
  PressKey();
  EXPECT_FALSE(Finish(preview, std::chrono::milliseconds(500)).has_value());
  XDestroyWindow(X(), box);
  XSync(X(), False);
  EXPECT_EQ(Finish(preview, std::chrono::seconds(5)), 0);

  // XScreenSaver's way: a window of its own named by id, ended with SIGTERM.
  const Window host = MakeParent(800, 600);
  char hex[32];
  std::snprintf(hex, sizeof hex, "0x%lx", host);
  const pid_t hack = Start({"--window-id", hex});
  ASSERT_TRUE(WaitForLogo(host, 800, 600));
  PressKey();
  MovePointer(300, 300);
  EXPECT_FALSE(Finish(hack, std::chrono::milliseconds(500)).has_value());
  kill(hack, SIGTERM);
  EXPECT_EQ(Finish(hack, std::chrono::seconds(5)), 128 + SIGTERM);
}

// A settings window killed outright takes its preview's window with it, in the middle of a
// transition that would run for half a minute more: the preview must end with it, not when the
// transition is over.
TEST_F(SaverEndToEnd, PreviewEndsWhenItsHostWindowIsDestroyedDuringATransition) {
  for (const bool xscreensaverStyle : {false, true}) {
    StorePicture(64, 64);
    WriteSetting(nullptr, "Settings", "Effect", "12");
    WriteSetting(nullptr, "Settings", "EffectDir", "2");
    WriteSetting(nullptr, "Settings", "GrainSize", "1");
    // Wide enough for a transition; a smaller box gets the picture stretched at once.
    const Window host = MakeParent(800, 600);
    char id[32];
    std::snprintf(id, sizeof id, xscreensaverStyle ? "0x%lx" : "%lu", host);
    const pid_t preview = Start({xscreensaverStyle ? "--window-id" : "/p", std::string(id)});
    ASSERT_TRUE(WaitForLogo(host, 800, 600));
    // The picture period is 1 s: by then the transition has begun.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const auto destroyed = Clock::now();
    XDestroyWindow(X(), host);
    XSync(X(), False);
    EXPECT_EQ(Finish(preview, std::chrono::seconds(5)), 0) << id;
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - destroyed).count();
    std::printf("%s ended %lld ms after its host window was destroyed during a transition\n",
                xscreensaverStyle ? "--window-id" : "/p", static_cast<long long>(took));
  }
}

TEST_F(SaverEndToEnd, RootOptionDrawsInXScreenSaverWindow) {
  StorePicture(64, 64);
  const Window host = MakeParent(700, 500);
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", host);
  setenv("XSCREENSAVER_WINDOW", id, 1);
  const pid_t hack = Start({"-root"});
  unsetenv("XSCREENSAVER_WINDOW");
  ASSERT_TRUE(WaitForLogo(host, 700, 500));
  kill(hack, SIGTERM);
  EXPECT_EQ(Finish(hack, std::chrono::seconds(5)), 128 + SIGTERM);
}

TEST_F(SaverEndToEnd, UnknownModeAndPreviewOfNoWindowExitWith255) {
  EXPECT_EQ(Run({"/x"}), 255);
  // Only --help, -h, /? and --version are answered; a look-alike stays an unknown mode.
  EXPECT_EQ(Run({"-help"}), 255);
  EXPECT_EQ(Run({"/p", "12345"}), 255);
  EXPECT_EQ(Run({"/p"}), 255);
  EXPECT_EQ(Run({"--window-id", "0x1fffff0"}), 255);
  EXPECT_EQ(Run({"/a"}), 255);
}

}  // namespace
