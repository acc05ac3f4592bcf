// Every effect of the real tavrin program on a real X server ends with the picture on the
// screen exactly, black around it.
// GoogleTest comes before Xlib, whose macros (None, Bool) break its headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "settings/settings.h"
#include "tests/e2e/e2e_support.h"
#include "tests/platform/kernel/temp_config_home.h"
#include "tests/saver/saver_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

// One effect as the settings name it, with a picture and grain that let it finish in a second
// or two at DelayFactor 1.
struct EffectRun {
  const char* name;
  int effect;
  int direction;
  int width;
  int height;
  int grain;
};

constexpr EffectRun Runs[] = {
    {"DripDown", 4, 8, 64, 48, 8},
    {"DripUp", 4, 4, 63, 47, 8},
    {"DiagonalDownRight", 3, 10, 64, 48, 8},
    {"DiagonalUpLeft", 3, 5, 61, 45, 6},
    {"SnakeRight", 12, 2, 64, 48, 8},
    {"SnakeUp", 12, 4, 59, 41, 8},
    {"SlideWeaveVertical", 13, 2, 64, 48, 8},
    {"SlideWeaveHorizontal", 13, 1, 57, 43, 8},
    {"WipeRight", 11, 2, 64, 48, 8},
    {"WipeUp", 11, 4, 65, 45, 10},
    {"CrushVertical", 2, 2, 63, 47, 8},
    {"CrushHorizontal", 2, 1, 64, 48, 8},
    {"InterleaveHorizontal", 14, 1, 65, 45, 10},
    {"InterleaveVertical", 14, 2, 64, 48, 8},
    {"RandomBlocks", 6, 0, 64, 48, 8},
    {"Scramble", 16, 0, 64, 48, 8},
    {"StretchRight", 15, 2, 64, 48, 8},
    {"StretchLeft", 15, 1, 60, 45, 6},
    {"StretchUp", 15, 4, 64, 48, 8},
    {"StretchDown", 15, 8, 60, 45, 5},
    {"WeaveVertical", 10, 2, 63, 47, 8},
    {"WeaveHorizontal", 10, 1, 61, 45, 6},
    {"SlideRight", 7, 2, 64, 48, 8},
    {"SlideUp", 7, 4, 61, 45, 8},
    {"QuadSlideIn", 19, 2, 63, 47, 8},
    {"QuadSlideOut", 19, 1, 64, 48, 8},
    {"BlindHorizontal", 1, 1, 63, 47, 8},
    {"BlindVertical", 1, 2, 64, 48, 8},
    {"SplitVertical", 9, 2, 63, 47, 8},
    {"SplitHorizontal", 9, 1, 64, 48, 8},
    {"CheckerboardUp", 18, 4, 65, 45, 10},
    {"CheckerboardDown", 18, 8, 64, 48, 8},
    {"ExplodeIn", 5, 2, 64, 48, 8},
    {"ExplodeOut", 5, 1, 63, 47, 6},
    {"SpiralIn", 8, 2, 61, 45, 8},
    {"SpiralOut", 8, 1, 64, 48, 8},
    {"Clock", 17, 0, 63, 47, 8},
};

class EffectsEndToEnd : public ::testing::TestWithParam<EffectRun> {
 protected:
  void SetUp() override {
    display_.reset(XOpenDisplay(nullptr));
    ASSERT_NE(display_, nullptr) << "no X display";
    width_ = DisplayWidth(display_.get(), DefaultScreen(display_.get()));
    height_ = DisplayHeight(display_.get(), DefaultScreen(display_.get()));
  }
  void TearDown() override {
    if (saver_ > 0) {
      kill(saver_, SIGKILL);
      waitpid(saver_, nullptr, 0);
    }
  }

  void Store(const EffectRun& run) {
    const std::string path = config_.Folder() + "/picture.bmp";
    const std::vector<std::uint8_t> bmp = saver_test::MakeBmp(run.width, run.height, 3);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
    WriteSetting(nullptr, "The Gig", "Images", "1");
    WriteSetting(nullptr, "The Gig", "P0", path.c_str());
    WriteSetting(nullptr, "Settings", "EffectDelay", "1");
    WriteSetting(nullptr, "Settings", "RandomEffects", "0");
    WriteSetting(nullptr, "Settings", "Effect", std::to_string(run.effect).c_str());
    WriteSetting(nullptr, "Settings", "EffectDir", std::to_string(run.direction).c_str());
    WriteSetting(nullptr, "Settings", "GrainSize", std::to_string(run.grain).c_str());
    WriteSetting(nullptr, "Settings", "DelayFactor", "1");
  }

  void Start() {
    saver_ = fork();
    if (saver_ == 0) {
      std::string program = TAVRIN_PROGRAM;
      std::string mode = "/s";
      char* argv[] = {program.data(), mode.data(), nullptr};
      execv(program.c_str(), argv);
      _exit(127);
    }
  }

  // The pixels of the whole screen that differ from the picture centred on black.
  long long Differences(const EffectRun& run) {
    XImage* image = XGetImage(display_.get(), DefaultRootWindow(display_.get()), 0, 0,
                              static_cast<unsigned>(width_), static_cast<unsigned>(height_),
                              AllPlanes, ZPixmap);
    if (image == nullptr) return -1;
    const int x = (width_ - run.width) / 2;
    const int y = (height_ - run.height) / 2;
    long long wrong = 0;
    for (int row = 0; row < height_; ++row) {
      for (int column = 0; column < width_; ++column) {
        const bool inside =
            column >= x && column < x + run.width && row >= y && row < y + run.height;
        const std::uint32_t expected =
            inside ? saver_test::PicturePixel(3, column - x, row - y) : 0;
        if ((XGetPixel(image, column, row) & 0xFFFFFF) != expected) ++wrong;
      }
    }
    XDestroyImage(image);
    return wrong;
  }

  // Ends the saver the way a user does, and reports its exit code.
  int Stop() {
    kill(saver_, SIGTERM);
    int status = 0;
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (waitpid(saver_, &status, WNOHANG) == 0) {
      if (Clock::now() > end) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    saver_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  TempConfigHome config_;
  e2e::DisplayPtr display_;
  int width_ = 0;
  int height_ = 0;
  pid_t saver_ = 0;
};

TEST_P(EffectsEndToEnd, TheTransitionEndsWithThePictureExactlyOnScreen) {
  const EffectRun& run = GetParam();
  Store(run);
  Start();
  // The logo, a second's pause, then the transition: a generous bound, as the pace is counted
  // in input polls rather than time.
  long long wrong = -1;
  const auto end = Clock::now() + std::chrono::seconds(15);
  while (Clock::now() < end) {
    wrong = Differences(run);
    if (wrong == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(wrong, 0) << run.name;
  // Scramble shows the picture whole for a moment before its first swaps: only a picture that
  // stays is the end of the transition. The next picture comes a second later.
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_EQ(Differences(run), 0) << run.name;
  EXPECT_EQ(Stop(), 128 + SIGTERM);
}

INSTANTIATE_TEST_SUITE_P(FirstSet, EffectsEndToEnd, ::testing::ValuesIn(Runs),
                         [](const ::testing::TestParamInfo<EffectRun>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
