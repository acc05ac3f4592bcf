// What GDI draws into a window DC is on the screen, through shared memory and without it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/handles.h"
#include "x11_test_support.h"

namespace x11_test {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

class X11DrawingTest : public X11Test, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) {
      unsetenv("TAVRIN_NO_SHM");
    } else {
      setenv("TAVRIN_NO_SHM", "1", 1);
    }
    X11Test::SetUp();
  }
  void TearDown() override {
    X11Test::TearDown();
    unsetenv("TAVRIN_NO_SHM");
  }
};

TEST_P(X11DrawingTest, BitBltToWindowIsOnScreenClippedToTheSource) {
  const HWND saver = CreateFullScreen();
  ASSERT_NE(saver, nullptr);
  const XId native = NativeOf("Screen Saver");
  ASSERT_NE(native, 0u);

  const HDC window = GetDC(saver);
  const HDC memory = CreateCompatibleDC(window);
  const HBITMAP picture = CreateCompatibleBitmap(window, 64, 32);
  const HGDIOBJ previous = SelectObject(memory, picture);
  const RECT all{0, 0, 64, 32};
  FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  // Wider than the picture: the part beyond it changes nothing.
  ASSERT_TRUE(BitBlt(window, 100, 40, 80, 32, memory, 0, 0, SRCCOPY));
  SyncBackend();

  EXPECT_EQ(probe_->Pixel(native, 100, 40), kWhite);
  EXPECT_EQ(probe_->Pixel(native, 163, 71), kWhite);
  EXPECT_EQ(probe_->Pixel(native, 99, 40), kBlack);
  EXPECT_EQ(probe_->Pixel(native, 164, 40), kBlack);
  EXPECT_EQ(probe_->Pixel(native, 100, 72), kBlack);

  // A copy reaching beyond the window's right and bottom edges keeps what lies inside.
  ASSERT_TRUE(BitBlt(window, 1250, 1000, 64, 32, memory, 0, 0, SRCCOPY));
  SyncBackend();
  EXPECT_EQ(probe_->Pixel(native, 1279, 1023), kWhite);
  EXPECT_EQ(probe_->Pixel(native, 1249, 1023), kBlack);

  // And a FillRect on the window DC too.
  const RECT band{0, 500, 1280, 504};
  FillRect(window, &band, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SyncBackend();
  EXPECT_EQ(probe_->Pixel(native, 640, 502), kWhite);
  EXPECT_EQ(probe_->Pixel(native, 640, 504), kBlack);

  SelectObject(memory, previous);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(saver, window);
}

TEST_P(X11DrawingTest, SurfaceIsRemadeWhenTheWindowIsResized) {
  const XId parent = probe_->CreateWindow(200, 100);
  const HWND preview =
      CreateWindowExA(0, kTestClass, "Preview", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100,
                      platform::MakeHandle<HWND>(parent), nullptr, nullptr, nullptr);
  ASSERT_NE(preview, nullptr);
  probe_->Resize(parent, 300, 150);
  ASSERT_TRUE(DispatchUntilSent(preview, WM_SIZE));
  const HDC window = GetDC(preview);
  const RECT corner{290, 140, 300, 150};
  FillRect(window, &corner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ReleaseDC(preview, window);
  SyncBackend();
  const XId child = probe_->Children(parent).at(0);
  EXPECT_EQ(probe_->Pixel(child, 299, 149), kWhite);
  EXPECT_EQ(probe_->Pixel(child, 289, 149), kBlack);
}

// Shared-memory segments this process created that still exist (/proc/sysvipc/shm: the
// creator's pid is the 5th column).
int LiveSegmentsOfThisProcess() {
  std::ifstream table("/proc/sysvipc/shm");
  std::string line;
  std::getline(table, line);  // the header
  int count = 0;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string field;
    for (int i = 0; i < 5 && fields >> field; ++i) {
    }
    if (field == std::to_string(getpid())) ++count;
  }
  return count;
}

TEST_P(X11DrawingTest, WindowSurfacesLeaveNoSharedMemoryBehind) {
  const int before = LiveSegmentsOfThisProcess();
  const HWND saver = CreateFullScreen();
  ASSERT_NE(saver, nullptr);
  const HDC window = GetDC(saver);
  const RECT all{0, 0, 1280, 1024};
  FillRect(window, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ReleaseDC(saver, window);
  EXPECT_EQ(LiveSegmentsOfThisProcess(), before + (GetParam() ? 1 : 0));
  ASSERT_TRUE(DestroyWindow(saver));
  SyncBackend();  // the server has detached too
  EXPECT_EQ(LiveSegmentsOfThisProcess(), before);
}

INSTANTIATE_TEST_SUITE_P(SharedAndPlain, X11DrawingTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                           return param.param ? "SharedMemory" : "PutImage";
                         });

}  // namespace
}  // namespace x11_test
