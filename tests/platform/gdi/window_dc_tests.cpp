// Window and screen DCs on the headless backend: where their pixels land and when they show.
#include <gtest/gtest.h>

#include "platform/gdi/gdi_probe.h"
#include "platform/headless/headless.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

class WindowDcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::Install(40, 30);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "GdiTestWindow";
    RegisterClassA(&windowClass);
  }
  void TearDown() override {
    EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});
  }

  static HWND MakeWindow(DWORD exStyle, int width, int height) {
    return CreateWindowExA(exStyle, "GdiTestWindow", "gdi", WS_POPUP | WS_VISIBLE, 0, 0, width,
                           height, nullptr, nullptr, nullptr, nullptr);
  }
  static void FillWhite(HDC dc, RECT rect) {
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
};

TEST_F(WindowDcTest, WindowDcDrawsIntoTheClientAndPresents) {
  HWND window = MakeWindow(0, 10, 8);
  ASSERT_NE(window, nullptr);
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  const std::uint64_t presents = headless::PresentCount();
  FillWhite(dc, RECT{-5, -5, 2, 100});
  EXPECT_GT(headless::PresentCount(), presents);
  EXPECT_EQ(headless::WindowPixel(window, 1, 7), kWhite);
  EXPECT_EQ(headless::WindowPixel(window, 2, 0), 0u);

  // A copy half off the client: what falls outside is dropped, nothing else is touched.
  gdi_test::BitmapDc picture(gdi_test::MakePatternBitmap(4, 4, 0));
  EXPECT_TRUE(BitBlt(dc, 8, 6, 4, 4, picture.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(headless::WindowPixel(window, 8, 6), 1u);
  EXPECT_EQ(headless::WindowPixel(window, 9, 7), 6u);
  EXPECT_EQ(headless::ScreenPixel(8, 6), 0u);  // not full screen: the screen is elsewhere

  // Reading back from the window works like any other source.
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP copy = CreateCompatibleBitmap(dc, 2, 2);
  HGDIOBJ previous = SelectObject(memory, copy);
  EXPECT_TRUE(BitBlt(memory, 0, 0, 2, 2, dc, 8, 6, SRCCOPY));
  EXPECT_EQ(gdi_test::Pixels(copy), (std::vector<std::uint32_t>{1, 2, 5, 6}));
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(copy);

  // Once the window is gone its DC draws nothing, but can still be released.
  DestroyWindow(window);
  EXPECT_TRUE(BitBlt(dc, 0, 0, 4, 4, picture.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(ReleaseDC(window, dc), 1);
  EXPECT_EQ(GetDC(window), nullptr);
}

TEST_F(WindowDcTest, ScreenDcIsOffScreenUntilAWindowCoversIt) {
  HDC screen = GetDC(nullptr);
  FillWhite(screen, RECT{38, 28, 50, 50});
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(headless::ScreenPixel(39, 29), kWhite);  // kept across GetDC calls
  screen = GetDC(nullptr);
  // A tile swap as "Scramble" makes it, screen to screen through a one-tile buffer.
  HDC buffer = CreateCompatibleDC(screen);
  HBITMAP tile = CreateCompatibleBitmap(screen, 4, 4);
  HGDIOBJ previous = SelectObject(buffer, tile);
  BitBlt(buffer, 0, 0, 4, 4, screen, 36, 26, SRCCOPY);
  BitBlt(screen, 36, 26, 4, 4, screen, 0, 0, SRCCOPY);
  BitBlt(screen, 0, 0, 4, 4, buffer, 0, 0, SRCCOPY);
  EXPECT_EQ(headless::ScreenPixel(3, 3), kWhite);
  EXPECT_EQ(headless::ScreenPixel(39, 29), 0u);
  SelectObject(buffer, previous);
  DeleteDC(buffer);
  DeleteObject(tile);
  ReleaseDC(nullptr, screen);

  HWND fullScreen = MakeWindow(WS_EX_TOPMOST, 40, 30);
  ASSERT_NE(fullScreen, nullptr);
  screen = GetDC(nullptr);
  const std::uint64_t presents = headless::PresentCount();
  FillWhite(screen, RECT{10, 10, 12, 12});
  EXPECT_GT(headless::PresentCount(), presents);
  EXPECT_EQ(headless::WindowPixel(fullScreen, 11, 11), kWhite);
  EXPECT_EQ(headless::ScreenPixel(11, 11), kWhite);
  ReleaseDC(nullptr, screen);
  DestroyWindow(fullScreen);
}

}  // namespace
