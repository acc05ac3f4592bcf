// Retrieval order, timers, waiting, and posting across threads.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/handles.h"
#include "platform/headless/headless.h"
#include "tests/platform/user/user_test_support.h"

namespace user_test {
namespace {

class MessageQueueTest : public UserTest {
 protected:
  // GetMessage, failing the test instead of hanging or returning quit/-1.
  MSG Next() {
    MSG msg{};
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    return msg;
  }
};

TEST_F(MessageQueueTest, PostedThenInputThenPaintThenTimerEachInArrivalOrder) {
  HWND window = MakeWindow();  // visible: owes its first paint
  ASSERT_NE(window, nullptr);
  SetTimer(window, 1, 10, nullptr);
  headless::AdvanceClock(10);
  headless::ScriptInput(window, WM_KEYDOWN, 'A', 0);
  headless::ScriptInput(window, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 4));
  PostMessageA(window, WM_USER + 1, 0, 0);
  PostMessageA(window, WM_USER + 2, 0, 0);

  std::vector<UINT> order;
  for (int i = 0; i < 6; ++i) {
    const MSG msg = Next();
    order.push_back(msg.message);
    DispatchMessageA(&msg);  // validates the paint
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_KEYDOWN, WM_LBUTTONDOWN,
                                      WM_PAINT, WM_TIMER}));
  MSG msg;
  EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), FALSE);
}

TEST_F(MessageQueueTest, LateTimerFiresOnceThenRearmsFromNow) {
  HWND window = MakeWindow();
  DispatchPending();
  ASSERT_EQ(SetTimer(window, 7, 100, nullptr), 7u);
  headless::AdvanceClock(1000);  // ten periods late

  MSG msg = Next();
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.hwnd, window);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), FALSE) << "no catching up";

  // The next one is one period after the late one was taken; waiting jumps the clock there.
  msg = Next();
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(GetTickCount(), 1100u);
}

TEST_F(MessageQueueTest, KillTimerStopsItAndSetTimerReplacesIt) {
  HWND window = MakeWindow();
  DispatchPending();
  SetTimer(window, 200, 50, nullptr);
  EXPECT_EQ(KillTimer(window, 200), TRUE);
  EXPECT_EQ(KillTimer(window, 200), FALSE);
  headless::AdvanceClock(500);
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1) << "nothing armed: headless gives up";

  SetTimer(window, 200, 50, nullptr);
  SetTimer(window, 200, 300, nullptr);  // same id: the period is replaced, not added
  const DWORD start = GetTickCount();
  msg = Next();
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(GetTickCount() - start, 300u);
  EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), FALSE);
}

TEST_F(MessageQueueTest, WaitingAdvancesTheClockExactlyToTheNearestTimer) {
  HWND window = MakeWindow();
  DispatchPending();
  SetTimer(window, 1, 50, nullptr);
  SetTimer(window, 2, 30, nullptr);
  std::vector<std::pair<UINT_PTR, DWORD>> fired;
  for (int i = 0; i < 4; ++i) {
    const MSG msg = Next();
    fired.emplace_back(msg.wParam, GetTickCount());
  }
  EXPECT_EQ(fired, (std::vector<std::pair<UINT_PTR, DWORD>>{{2, 30}, {1, 50}, {2, 60}, {2, 90}}));
}

TEST_F(MessageQueueTest, ThreadTimerGetsAnIdAndIsNotDispatched) {
  const UINT_PTR id = SetTimer(nullptr, 0, 20, nullptr);
  ASSERT_NE(id, 0u);
  EXPECT_NE(SetTimer(nullptr, 0, 20, nullptr), id) << "a second thread timer";
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(KillTimer(nullptr, id), TRUE);
}

TEST_F(MessageQueueTest, PeekMessageRemovesOnlyTheDueTimerOfThatWindow) {
  HWND window = MakeWindow("a");
  HWND other = MakeWindow("b");
  DispatchPending();
  SetTimer(window, 200, 50, nullptr);
  SetTimer(other, 200, 50, nullptr);
  headless::AdvanceClock(50);

  MSG msg{};
  EXPECT_EQ(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE), TRUE);
  EXPECT_EQ(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD), TRUE);
  EXPECT_EQ(msg.hwnd, window);
  EXPECT_EQ(msg.wParam, 200u);
  EXPECT_EQ(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD), FALSE);

  EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), TRUE);
  EXPECT_EQ(msg.hwnd, other);
  EXPECT_EQ(msg.message, WM_TIMER);
}

TEST_F(MessageQueueTest, QuitComesAfterPostedMessagesWithItsExitCode) {
  HWND window = MakeWindow();
  DispatchPending();
  PostQuitMessage(3);
  PostMessageA(window, WM_USER, 0, 0);
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_USER);
  // A caller asking for one window's timers does not take the quit away.
  EXPECT_EQ(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE), FALSE);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(MessageQueueTest, PostFromAnotherThreadWakesABlockedGetMessage) {
  HWND window = MakeWindow();
  DispatchPending();
  headless::SetBlockingWait(true);
  std::thread poster([window] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PostMessageA(window, WM_USER + 5, 42, 0);
  });
  MSG msg{};
  const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
  poster.join();
  ASSERT_EQ(got, TRUE);
  EXPECT_EQ(msg.message, WM_USER + 5);
  EXPECT_EQ(msg.wParam, 42u);
  EXPECT_EQ(GetTickCount(), 0u) << "no timer: the virtual clock stays";
}

TEST_F(MessageQueueTest, DeadAndForeignWindowsTakeNoMessages) {
  HWND window = MakeWindow();
  DispatchPending();
  PostMessageA(window, WM_USER, 0, 0);
  ASSERT_EQ(DestroyWindow(window), TRUE);
  MSG msg{};
  EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), FALSE) << "its posted message went too";
  EXPECT_EQ(PostMessageA(window, WM_USER, 0, 0), FALSE);
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 0);
  EXPECT_EQ(SetTimer(window, 1, 10, nullptr), 0u);
  EXPECT_EQ(GetMessageA(&msg, window, 0, 0), -1) << "a dead window as filter";

  const auto foreign = platform::MakeHandle<HWND>(headless::CreateForeignWindow(10, 10));
  EXPECT_EQ(PostMessageA(foreign, WM_USER, 0, 0), FALSE);
}

}  // namespace
}  // namespace user_test
