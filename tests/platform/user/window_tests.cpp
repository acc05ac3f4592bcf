// Window lifetimes, painting, foreign parents, lookup, and the headless services.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/headless/headless.h"
#include "platform/user/window_system.h"
#include "tests/platform/user/user_test_support.h"

namespace user_test {
namespace {

class WindowTest : public UserTest {};

TEST_F(WindowTest, CreationSendsNcCreateCreateShowThenAFirstPaintWithErase) {
  int marker = 0;
  SetHook([&](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
    if (message == WM_CREATE) {
      // NOLINTNEXTLINE(performance-no-int-to-ptr)
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      EXPECT_EQ(create->lpCreateParams, &marker);
      EXPECT_EQ(create->cx, 100);
      EXPECT_EQ(create->cy, 80);
      EXPECT_STREQ(create->lpszName, "made");
    }
    return false;
  });
  HWND window = CreateWindowExA(0, kClass, "made", WS_POPUP | WS_VISIBLE, 0, 0, 100, 80, nullptr,
                                nullptr, nullptr, &marker);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SHOWWINDOW}));
  EXPECT_EQ(Log().back().wParam, static_cast<WPARAM>(TRUE));

  Log().clear();
  DispatchPending();
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
  EXPECT_NE(Log().back().wParam, 0u) << "the erase gets the paint's DC";
  MSG msg;
  EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), FALSE) << "validated";
}

TEST_F(WindowTest, EraseFillsWithTheClassBrushAndUpdateWindowPaintsAtOnce) {
  WNDCLASSA white{};
  white.lpfnWndProc = DefWindowProcA;
  white.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  white.lpszClassName = "WhiteWindow";
  ASSERT_NE(RegisterClassA(&white), 0);
  EXPECT_EQ(RegisterClassA(&white), 0) << "a name is registered once";
  HWND window = CreateWindowExA(0, "whitewindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 20, 10, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(headless::WindowPixel(window, 19, 9), 0u) << "black until painted";
  UpdateWindow(window);
  EXPECT_EQ(headless::WindowPixel(window, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(headless::WindowPixel(window, 19, 9), 0xFFFFFFu);
}

TEST_F(WindowTest, HiddenWindowGetsNoPaintUntilShown) {
  HWND window = MakeWindow("hidden", WS_POPUP);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
  MSG msg;
  EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), FALSE);
  EXPECT_EQ(ShowWindow(window, SW_SHOW), FALSE) << "was hidden";
  EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE), TRUE);
  EXPECT_EQ(msg.message, WM_PAINT);
}

TEST_F(WindowTest, RefusedCreationLeavesNoWindow) {
  HWND refused = nullptr;
  SetHook([&](HWND window, UINT message, WPARAM, LPARAM, LRESULT* result) {
    refused = window;
    if (message != WM_NCCREATE) return false;
    *result = FALSE;
    return true;
    return false;
  });
  EXPECT_EQ(MakeWindow(), nullptr);
  EXPECT_EQ(IsWindow(refused), FALSE);

  Log().clear();
  SetHook([&](HWND window, UINT message, WPARAM, LPARAM, LRESULT* result) {
    refused = window;
    if (message != WM_CREATE) return false;
    *result = -1;
    return true;
  });
  EXPECT_EQ(MakeWindow(), nullptr);
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_EQ(IsWindow(refused), FALSE);
}

TEST_F(WindowTest, DestroyWindowDuringCreateIsSafe) {
  HWND made = nullptr;
  SetHook([&](HWND window, UINT message, WPARAM, LPARAM, LRESULT*) {
    made = window;
    if (message == WM_CREATE) {
      EXPECT_EQ(DestroyWindow(window), TRUE);
    }
    return false;
  });
  EXPECT_EQ(MakeWindow(), nullptr);
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_EQ(IsWindow(made), FALSE);
  EXPECT_EQ(FindWindowA(kClass, nullptr), nullptr);
}

TEST_F(WindowTest, SendingDestroyFromCreateRunsTheHandlerAndKeepsTheWindow) {
  // A procedure that gives up during creation: its WM_DESTROY handling posts the quit.
  SetHook([](HWND window, UINT message, WPARAM, LPARAM, LRESULT*) {
    if (message == WM_CREATE) SendMessageA(window, WM_DESTROY, 0, 0);
    if (message == WM_DESTROY) PostQuitMessage(0);
    return false;
  });
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(IsWindow(window), TRUE);
  MSG msg{};
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, WM_QUIT);
}

TEST_F(WindowTest, DestroyGoesParentFirstThenNcDestroyChildFirstAndOnlyOnce) {
  HWND parent = MakeWindow("parent");
  HWND child = MakeWindow("child", WS_CHILD | WS_VISIBLE, parent, 10, 10);
  ASSERT_NE(child, nullptr);
  SetTimer(parent, 1, 10, nullptr);
  SetTimer(child, 1, 10, nullptr);
  PostMessageA(child, WM_USER, 0, 0);
  SetHook([&](HWND window, UINT message, WPARAM, LPARAM, LRESULT*) {
    if (message == WM_DESTROY && window == parent) {
      EXPECT_EQ(IsWindow(parent), TRUE) << "still a window during WM_DESTROY";
      EXPECT_EQ(KillTimer(parent, 1), TRUE);
      DestroyWindow(parent);  // re-entrant calls change nothing
      DestroyWindow(child);
    }
    return false;
  });
  Log().clear();
  ASSERT_EQ(DestroyWindow(parent), TRUE);
  EXPECT_EQ(Log(), (std::vector<Received>{{parent, WM_DESTROY, 0, 0},
                                          {child, WM_DESTROY, 0, 0},
                                          {child, WM_NCDESTROY, 0, 0},
                                          {parent, WM_NCDESTROY, 0, 0}}));
  EXPECT_EQ(IsWindow(parent), FALSE);
  EXPECT_EQ(IsWindow(child), FALSE);
  headless::AdvanceClock(100);
  MSG msg;
  EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), FALSE) << "no timers, posts or paints";
  EXPECT_EQ(DestroyWindow(parent), FALSE);
}

TEST_F(WindowTest, DefaultCloseDestroys) {
  HWND window = MakeWindow();
  PostMessageA(window, WM_CLOSE, 0, 0);
  DispatchPending();
  EXPECT_EQ(IsWindow(window), FALSE);
  EXPECT_EQ(Messages(window).back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST_F(WindowTest, ChildOfForeignWindowFollowsItsSizeAndGoesWithIt) {
  const auto foreignId = headless::CreateForeignWindow(320, 200);
  const auto foreign = platform::MakeHandle<HWND>(foreignId);
  EXPECT_EQ(IsWindow(foreign), TRUE);
  RECT client{};
  ASSERT_EQ(GetClientRect(foreign, &client), TRUE);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 200);

  HWND child = MakeWindow("Preview", WS_CHILD | WS_VISIBLE, foreign, 320, 200);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(GetParent(child), foreign);
  DispatchPending();

  Log().clear();
  headless::ResizeForeignWindow(foreignId, 160, 100);
  DispatchPending();
  EXPECT_EQ(Log().front(), (Received{child, WM_SIZE, 0, MAKELPARAM(160, 100)}));
  GetClientRect(child, &client);
  EXPECT_EQ(client.right, 160);
  EXPECT_EQ(client.bottom, 100);
  const platform::PixelSurface surface = platform::WindowSurface(child);
  EXPECT_EQ(surface.width, 160);
  EXPECT_EQ(surface.height, 100);

  Log().clear();
  headless::DestroyForeignWindow(foreignId);
  EXPECT_EQ(IsWindow(foreign), FALSE);
  DispatchPending();
  EXPECT_EQ(Messages(child), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
  EXPECT_EQ(IsWindow(child), FALSE);
  EXPECT_EQ(MakeWindow("late", WS_CHILD, foreign), nullptr) << "no parent any more";
}

TEST_F(WindowTest, FindWindowMatchesTopLevelClassAndTitleIgnoringCase) {
  HWND saver = MakeWindow("Screen Saver");
  HWND other = MakeWindow("Other");
  HWND child = MakeWindow("Inner", WS_CHILD | WS_VISIBLE, saver, 10, 10);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(FindWindowA("windowsscreensaverclass", "Screen Saver"), nullptr);
  EXPECT_EQ(FindWindowA(kClass, "Screen Saver"), saver);
  EXPECT_EQ(FindWindowA("TESTWINDOW", "other"), other);
  EXPECT_EQ(FindWindowA(nullptr, "Other"), other);
  EXPECT_EQ(FindWindowA(kClass, "Inner"), nullptr) << "children are not searched";
  EXPECT_EQ(FindWindowA(kClass, "Screen"), nullptr);
  DestroyWindow(saver);
  EXPECT_EQ(FindWindowA(kClass, "Screen Saver"), nullptr);
}

TEST_F(WindowTest, IsWindowOnStaleNeverIssuedAndUnknownForeignHandles) {
  HWND window = MakeWindow();
  DestroyWindow(window);
  EXPECT_EQ(IsWindow(window), FALSE);
  EXPECT_EQ(IsWindow(nullptr), FALSE);
  EXPECT_EQ(IsWindow(platform::MakeHandle<HWND>(0x4FFFFFFF)), FALSE);
  EXPECT_EQ(IsWindow(platform::MakeHandle<HWND>(0x123456)), FALSE);
  RECT client{};
  EXPECT_EQ(GetClientRect(platform::MakeHandle<HWND>(0x123456), &client), FALSE);
  HWND fresh = MakeWindow();
  EXPECT_NE(fresh, window) << "handles are not reused";
}

TEST_F(WindowTest, FullScreenWindowIsTheScreen) {
  HWND small = CreateWindowExA(WS_EX_TOPMOST, kClass, "small", WS_POPUP | WS_VISIBLE, 0, 0,
                               kScreenWidth - 1, kScreenHeight, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(platform::FullScreenWindow(), nullptr);
  HWND full = CreateWindowExA(WS_EX_TOPMOST, kClass, "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0,
                              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                              nullptr, nullptr, nullptr);
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(platform::FullScreenWindow(), full);

  HDC screen = GetDC(nullptr);
  RECT area{5, 5, 6, 6};
  FillRect(screen, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(headless::ScreenPixel(5, 5), 0xFFFFFFu);
  EXPECT_EQ(headless::WindowPixel(full, 5, 5), 0xFFFFFFu);
  EXPECT_GT(headless::PresentCount(), 0u);
  DestroyWindow(full);
  EXPECT_EQ(platform::FullScreenWindow(), nullptr);
}

TEST_F(WindowTest, ForegroundCursorAndMetrics) {
  HWND window = MakeWindow();
  EXPECT_EQ(SetForegroundWindow(window), TRUE);
  EXPECT_EQ(GetForegroundWindow(), window);
  DestroyWindow(window);
  EXPECT_EQ(GetForegroundWindow(), nullptr);

  const HCURSOR arrow = SetCursor(nullptr);
  EXPECT_NE(arrow, nullptr);
  EXPECT_TRUE(headless::CursorHidden());
  EXPECT_EQ(SetCursor(arrow), nullptr);
  EXPECT_FALSE(headless::CursorHidden());

  headless::SetCursorPos(POINT{12, 34});
  POINT point{};
  ASSERT_EQ(GetCursorPos(&point), TRUE);
  EXPECT_EQ(point.x, 12);
  EXPECT_EQ(point.y, 34);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), kScreenWidth);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), kScreenHeight);
  EXPECT_NE(LoadIconA(nullptr, "any"), nullptr);
}

TEST_F(WindowTest, HeadlessClockFollowsAdvanceAndSleep) {
  EXPECT_EQ(GetTickCount(), 0u);
  headless::AdvanceClock(1234);
  EXPECT_EQ(GetTickCount(), 1234u);
  Sleep(66);
  EXPECT_EQ(GetTickCount(), 1300u);
  EXPECT_EQ(headless::Now(), 1300u);
  headless::Install(kScreenWidth, kScreenHeight);
  EXPECT_EQ(GetTickCount(), 0u) << "a fresh install starts the clock again";
}

TEST_F(WindowTest, MessageBoxesAreRecordedAndAnswered) {
  HWND window = MakeWindow();
  EXPECT_EQ(MessageBoxA(window, "text", "Tavrin", MB_OK | MB_ICONEXCLAMATION), IDOK);
  headless::SetMessageBoxAnswer(IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "again?", "ERROR", MB_YESNO), IDNO);
  ASSERT_EQ(headless::MessageBoxes().size(), 2u);
  const auto& first = headless::MessageBoxes().front();
  EXPECT_EQ(first.owner, window);
  EXPECT_EQ(first.text, "text");
  EXPECT_EQ(first.caption, "Tavrin");
  EXPECT_EQ(first.type, static_cast<UINT>(0x30));
}

}  // namespace
}  // namespace user_test
