// NViewLibLoad while the show it decodes for is ending: a key for the full-screen show or a
// termination signal makes it give up part way and return nothing, leaving the key queued for the
// show's message loop; input anywhere else (the configuration dialog's thumbnail, a preview)
// never stops it; and a huge file that is no picture is refused without being read.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "libs/nviewlib/nviewlib.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/headless/headless.h"
#include "platform/user/long_job.h"
#include "tests/libs/nviewlib/picture_files.h"
#include "tests/platform/gdi/gdi_test_support.h"
#include "tests/support/big_files.h"

namespace nviewlib_test {
namespace {

constexpr int kHugeSide = 16384;  // 256 megapixels, the largest picture allowed
constexpr std::int64_t kHugePixels = std::int64_t{kHugeSide} * kHugeSide;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::int64_t kGiB = std::int64_t{1} << 30;

class LoadStop : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder;  // NOLINT: lives for the suite, freed in TearDownTestSuite
    ASSERT_TRUE(test_support::WriteFlatPng(HugePng(), kHugeSide, kHugeSide, kRed));
  }
  static void TearDownTestSuite() {
    delete folder_;  // NOLINT
    folder_ = nullptr;
  }
  static std::string HugePng() { return (*folder_ / "huge.png").string(); }
  static std::string Path(const std::string& name) { return (*folder_ / name).string(); }

  void SetUp() override {
    headless::Install(800, 600);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProc;
    windowClass.lpszClassName = "LoadStop";
    ASSERT_NE(RegisterClass(&windowClass), 0);
  }

  static HWND FullScreenShow() {
    return CreateWindowEx(WS_EX_TOPMOST, "LoadStop", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                          nullptr, nullptr, nullptr, nullptr);
  }

  static TempFolder* folder_;
};

TempFolder* LoadStop::folder_ = nullptr;

TEST_F(LoadStop, AKeyForTheShowGivesUpAHugeDecodeAndStaysQueuedForTheShow) {
  HWND show = FullScreenShow();
  ASSERT_NE(show, nullptr);
  const platform::gdi::LiveObjects before = platform::gdi::CountLiveObjects();
  const std::int64_t allocated = nviewlib::PixelsAllocated();
  // Well into the decode: after the picture's allocation (which asks once), while the rows are
  // read (which asks every few of them, about a hundred times for this picture).
  const std::uint64_t keyAt = headless::PollCount() + 50;
  headless::ScriptInput(show, WM_KEYDOWN, VK_SPACE, 0, keyAt);

  EXPECT_EQ(NViewLibLoad(HugePng().c_str(), 0), nullptr);
  EXPECT_EQ(nviewlib::PixelsAllocated() - allocated, kHugePixels) << "the decode had not begun";
  EXPECT_EQ(headless::PollCount(), keyAt) << "it went on after the key";
  EXPECT_EQ(platform::gdi::CountLiveObjects(), before);
  MSG message{};
  ASSERT_TRUE(PeekMessage(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(message.hwnd, show);
  DestroyWindow(show);
}

TEST_F(LoadStop, ATerminationSignalGivesUpAHugeDecode) {
  HWND show = FullScreenShow();
  ASSERT_TRUE(TavrinPostOnTerminationSignals(show, WM_CLOSE));
  const std::int64_t allocated = nviewlib::PixelsAllocated();
  // The signal comes from outside once the decode is under way, as XScreenSaver's would.
  std::thread signaller([allocated] {
    while (nviewlib::PixelsAllocated() == allocated) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(getpid(), SIGTERM);
  });
  EXPECT_EQ(NViewLibLoad(HugePng().c_str(), 0), nullptr);
  signaller.join();
  EXPECT_TRUE(platform::LongJobShouldStop());
  // Handled: the flag is cleared for the tests that follow.
  ASSERT_TRUE(TavrinPostOnTerminationSignals(show, WM_CLOSE));
  DestroyWindow(show);
}

// Who the decode is for and whether input waits, and whether the picture comes.
struct Case {
  const char* name;
  enum { NoWindow, FullScreen, Preview, Dialog } window;
  bool inputWaits;
  bool decoded;
};

TEST_F(LoadStop, OnlyInputForTheFullScreenShowStopsADecode) {
  ASSERT_TRUE(test_support::WriteFlatPng(Path("small.png"), 64, 48, kRed));
  const Case cases[] = {
      {"the show, nothing pending", Case::FullScreen, false, true},
      {"the show, a key pending", Case::FullScreen, true, false},
      {"a preview in a settings window, the pointer moved", Case::Preview, true, true},
      {"the configuration dialog's thumbnail, the pointer moved", Case::Dialog, true, true},
      {"no window at all", Case::NoWindow, false, true},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    headless::Install(800, 600);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProc;
    windowClass.lpszClassName = "LoadStop";
    RegisterClass(&windowClass);
    HWND window = nullptr;
    if (test.window == Case::FullScreen) window = FullScreenShow();
    if (test.window == Case::Preview) {
      window =
          CreateWindowEx(0, "LoadStop", "", WS_CHILD | WS_VISIBLE, 0, 0, 150, 100,
                         reinterpret_cast<HWND>(headless::CreateForeignWindow(300, 200)),  // NOLINT
                         nullptr, nullptr, nullptr);
    }
    if (test.window == Case::Dialog) {
      window = CreateWindowEx(0, "LoadStop", "", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                              nullptr, nullptr, nullptr);
    }
    if (test.inputWaits) headless::ScriptInput(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(platform::LongJobShouldStop(), !test.decoded);

    HBITMAP bitmap = NViewLibLoad(Path("small.png").c_str(), 0);
    EXPECT_EQ(bitmap != nullptr, test.decoded);
    if (bitmap != nullptr) {
      EXPECT_EQ(gdi_test::Pixels(bitmap), std::vector<std::uint32_t>(64 * 48, kRed));
      DeleteObject(bitmap);
    }
    if (window != nullptr) DestroyWindow(window);
  }
}

// Run in a child, whose peak memory is its own: how much a load of `path` raised it, in bytes.
std::int64_t PeakGrowthOfLoading(const std::string& path) {
  const pid_t child = fork();
  if (child == 0) {
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const bool refused = NViewLibLoad(path.c_str(), 0) == nullptr;
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    // In MiB through the exit status; 255 for a file that was not refused.
    const long grownMiB = (after.ru_maxrss - before.ru_maxrss) / 1024;
    _exit(refused ? static_cast<int>(std::min(grownMiB, 254L)) : 255);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 255) return -1;
  return std::int64_t{WEXITSTATUS(status)} << 20;
}

TEST_F(LoadStop, AHugeFileThatIsNoPictureIsRefusedWithoutBeingRead) {
  // Named as a picture, and at the size limit of what is read at all.
  ASSERT_TRUE(test_support::WriteSparseFile(Path("huge.jpg"), kGiB));
  const std::int64_t grown = PeakGrowthOfLoading(Path("huge.jpg"));
  ASSERT_GE(grown, 0) << "not refused";
  EXPECT_LT(grown, std::int64_t{16} << 20);
}

}  // namespace
}  // namespace nviewlib_test
