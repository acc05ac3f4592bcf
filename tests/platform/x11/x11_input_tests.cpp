// Input through the X11 backend: the poll sees it first, without taking it; the message loop
// then delivers it as the Win32 input message. Window-system noise is not input.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "x11_test_support.h"

namespace x11_test {
namespace {

using X11InputTest = X11Test;

// Far more polls than a key takes to show up (the first poll after it, in practice).
constexpr int kPollBound = 1'000'000;

TEST_F(X11InputTest, KeyPressIsPolledThenDeliveredAsKeyDown) {
  const HWND saver = CreateFullScreen();
  ASSERT_NE(saver, nullptr);
  EXPECT_EQ(PollsUntilInput(100), 0);

  probe_->PressKey(XK_a);
  probe_->ReleaseKey(XK_a);
  EXPECT_GT(PollsUntilInput(kPollBound), 0);
  // The poll removed nothing: it still reports, and the loop delivers the key.
  EXPECT_GT(PollsUntilInput(1), 0);
  ASSERT_TRUE(DispatchUntilSent(saver, WM_KEYDOWN));
  EXPECT_EQ(LastSent(saver, WM_KEYDOWN)->wParam, static_cast<WPARAM>('A'));
  EXPECT_EQ(PollsUntilInput(100), 0);

  Seen().clear();
  probe_->PressKey(XK_Escape);
  probe_->ReleaseKey(XK_Escape);
  ASSERT_TRUE(DispatchUntilSent(saver, WM_KEYDOWN));
  EXPECT_EQ(LastSent(saver, WM_KEYDOWN)->wParam, static_cast<WPARAM>(0x1B));  // VK_ESCAPE

  // Alt and a key: the system-key form.
  Seen().clear();
  probe_->PressKey(XK_Alt_L);
  probe_->PressKey(XK_x);
  probe_->ReleaseKey(XK_x);
  probe_->ReleaseKey(XK_Alt_L);
  ASSERT_TRUE(DispatchUntilSent(saver, WM_SYSKEYDOWN));
  bool altX = false;
  while (!altX && DispatchUntilSent(saver, WM_SYSKEYDOWN)) {
    altX = LastSent(saver, WM_SYSKEYDOWN)->wParam == static_cast<WPARAM>('X');
    if (!altX) Seen().clear();
  }
  EXPECT_TRUE(altX);
}

TEST_F(X11InputTest, PointerMotionAndButtonsArePolledThenDelivered) {
  const HWND saver = CreateFullScreen();
  ASSERT_NE(saver, nullptr);
  probe_->MovePointer(100, 100);
  ASSERT_TRUE(DispatchUntilSent(saver, WM_MOUSEMOVE));
  Seen().clear();
  EXPECT_EQ(PollsUntilInput(100), 0);

  probe_->MovePointer(300, 200);
  EXPECT_GT(PollsUntilInput(kPollBound), 0);
  ASSERT_TRUE(DispatchUntilSent(saver, WM_MOUSEMOVE));
  EXPECT_EQ(LastSent(saver, WM_MOUSEMOVE)->lParam, MAKELPARAM(300, 200));
  POINT cursor{};
  ASSERT_TRUE(GetCursorPos(&cursor));
  EXPECT_EQ(cursor.x, 300);
  EXPECT_EQ(cursor.y, 200);

  probe_->ClickButton(1);
  EXPECT_GT(PollsUntilInput(kPollBound), 0);
  ASSERT_TRUE(DispatchUntilSent(saver, WM_LBUTTONDOWN));
  EXPECT_EQ(LastSent(saver, WM_LBUTTONDOWN)->lParam, MAKELPARAM(300, 200));
  probe_->ClickButton(3);
  ASSERT_TRUE(DispatchUntilSent(saver, WM_RBUTTONDOWN));
  // A wheel turn is the user at the mouse too.
  probe_->ClickButton(4);
  EXPECT_GT(PollsUntilInput(kPollBound), 0);
  ASSERT_TRUE(DispatchUntilSent(saver, WM_MBUTTONDOWN));
}

TEST_F(X11InputTest, ConfigureAndExposeEventsAreNotInputButLaterInputIsSeen) {
  const HWND saver = CreateFullScreen();
  const HWND other = CreateTopLevel(10, 10, 200, 100);
  ASSERT_NE(saver, nullptr);
  ASSERT_NE(other, nullptr);
  const XId otherNative = NativeOf("Top level");
  ASSERT_NE(otherNative, 0u);
  // Take what creation produced (exposures, focus) out of the way.
  probe_->MovePointer(5, 5);
  ASSERT_TRUE(DispatchUntilSent(saver, WM_MOUSEMOVE));
  Seen().clear();

  for (int i = 0; i < 10; ++i) {
    probe_->Move(otherNative, 20 + i, 30);
    probe_->SendExposures(otherNative);
  }
  // The events are now waiting on the connection (and, after the first poll, in Xlib's
  // queue): none of them may count, however often the poll looks.
  EXPECT_EQ(PollsUntilInput(10'000), 0);

  // Input that arrives behind them is still seen by the poll.
  probe_->PressKey(XK_space);
  probe_->ReleaseKey(XK_space);
  EXPECT_GT(PollsUntilInput(kPollBound), 0);
  ASSERT_TRUE(DispatchUntilSent(saver, WM_KEYDOWN));
  EXPECT_EQ(LastSent(saver, WM_KEYDOWN)->wParam, static_cast<WPARAM>(0x20));
  EXPECT_TRUE(DispatchUntilSent(other, WM_PAINT));  // the exposures became paints
}

}  // namespace
}  // namespace x11_test
