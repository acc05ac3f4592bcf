// The real tavrin on a real X server while it decodes a 256-megapixel picture or looks at a huge
// file that is no picture: a key or SIGTERM still ends the show, since the decode gives up and the
// key it saw is still there for the show's message loop.
// GoogleTest comes before Xlib, whose macros (None, Bool) break its headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "settings/settings.h"
#include "tests/e2e/e2e_support.h"
#include "tests/platform/kernel/temp_config_home.h"
#include "tests/support/big_files.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kHugeSide = 16384;
constexpr std::int64_t kMiB = std::int64_t{1} << 20;

// A memory figure of the process from /proc ("VmRSS:" now, "VmHWM:" its peak); 0 when it is
// gone.
std::int64_t MemoryBytes(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stoll(line.substr(field.size())) * 1024;
  }
  return 0;
}

class HugePictureEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    display_.reset(XOpenDisplay(nullptr));
    ASSERT_NE(display_, nullptr) << "no X display";
  }
  void TearDown() override {
    if (saver_ > 0) {
      kill(saver_, SIGKILL);
      waitpid(saver_, nullptr, 0);
    }
  }

  // A playlist of that one file, its picture due a second after the logo.
  void StorePlaylist(const std::string& path) {
    WriteSetting(nullptr, "The Gig", "Images", "1");
    WriteSetting(nullptr, "The Gig", "P0", path.c_str());
    WriteSetting(nullptr, "Settings", "EffectDelay", "1");
  }

  void PressKey() {
    const KeyCode key = XKeysymToKeycode(display_.get(), XK_space);
    XTestFakeKeyEvent(display_.get(), key, True, 0);
    XTestFakeKeyEvent(display_.get(), key, False, 0);
    XFlush(display_.get());
  }

  std::optional<int> Finish() {
    const std::optional<int> code = e2e::WaitForExit(saver_, std::chrono::seconds(20));
    if (code) saver_ = 0;
    return code;
  }

  TempConfigHome config_;
  e2e::DisplayPtr display_;
  pid_t saver_ = 0;
};

TEST_F(HugePictureEndToEnd, AKeyOrSigtermDuringAHugeDecodeEndsTheShow) {
  const std::string path = config_.Folder() + "/huge.png";
  ASSERT_TRUE(test_support::WriteFlatPng(path, kHugeSide, kHugeSide, 0xFF0000));
  StorePlaylist(path);
  for (const bool bySignal : {false, true}) {
    saver_ = e2e::StartProgram(TAVRIN_PROGRAM, {"/s"});
    // The picture's gigabyte being filled in: the decode is under way.
    ASSERT_TRUE(e2e::WaitUntil([&] { return MemoryBytes(saver_, "VmRSS:") > 256 * kMiB; },
                               std::chrono::seconds(20)));
    const auto stopped = Clock::now();
    if (bySignal) {
      kill(saver_, SIGTERM);
    } else {
      PressKey();
    }
    const std::optional<int> code = Finish();
    ASSERT_TRUE(code.has_value()) << (bySignal ? "SIGTERM" : "key");
    // How an end by signal is reported is the host's business; a crash is not an end.
    EXPECT_TRUE(*code == 0 || (bySignal && *code == 128 + SIGTERM)) << *code;
    std::printf(
        "tavrin ended %lld ms after the %s during a 256-megapixel decode\n",
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - stopped).count()),
        bySignal ? "SIGTERM" : "key press");
  }
}

TEST_F(HugePictureEndToEnd, AHugeFileThatIsNoPictureCostsTheShowNothing) {
  const std::string path = config_.Folder() + "/huge.jpg";
  ASSERT_TRUE(test_support::WriteSparseFile(path, std::int64_t{1} << 30));
  StorePlaylist(path);
  saver_ = e2e::StartProgram(TAVRIN_PROGRAM, {"/s"});
  // Past the moment the file was due and refused: the logo stands in for it.
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  EXPECT_LT(MemoryBytes(saver_, "VmHWM:"), 256 * kMiB) << "the file was read";
  PressKey();
  EXPECT_EQ(Finish(), 0);
}

}  // namespace
