// GetQueueStatus as the effects' pacing uses it: one look per call, nothing removed.
#include <csignal>

#include <gtest/gtest.h>

#include "platform/handles.h"
#include "platform/headless/headless.h"
#include "platform/user/window_system.h"
#include "tests/platform/user/user_test_support.h"

namespace user_test {
namespace {

constexpr UINT kInput = QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON;

bool InputWaits() {
  return HIWORD(GetQueueStatus(kInput)) != 0;
}

class InputPollTest : public UserTest {};

TEST_F(InputPollTest, ScriptedInputShowsAtItsPollAndStaysForGetMessage) {
  HWND window = MakeWindow();
  DispatchPending();
  const std::uint64_t before = headless::PollCount();
  headless::ScriptInput(window, WM_KEYDOWN, 'Q', 0, before + 5);

  for (int poll = 1; poll <= 4; ++poll) EXPECT_FALSE(InputWaits()) << "poll " << poll;
  EXPECT_TRUE(InputWaits()) << "visible at exactly its poll";
  EXPECT_TRUE(InputWaits()) << "looking removes nothing";
  EXPECT_EQ(headless::PollCount(), before + 6) << "one look at the source per call";

  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('Q'));
  EXPECT_FALSE(InputWaits()) << "taken by GetMessage";
}

TEST_F(InputPollTest, QueuedInputReportsItsOwnKindInBothWords) {
  HWND window = MakeWindow();
  DispatchPending();
  headless::ScriptInput(window, WM_MOUSEMOVE, 0, MAKELPARAM(9, 9));
  MSG msg{};
  ASSERT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE), TRUE);  // now in our queue

  EXPECT_EQ(GetQueueStatus(kInput), static_cast<DWORD>((QS_MOUSEMOVE << 16) | QS_MOUSEMOVE));
  EXPECT_EQ(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON), 0u);
}

TEST_F(InputPollTest, NothingButKeysAndPointerCounts) {
  HWND window = MakeWindow();  // owes a paint
  const auto foreign = headless::CreateForeignWindow(200, 100);
  HWND child =
      MakeWindow("child", WS_CHILD | WS_VISIBLE, platform::MakeHandle<HWND>(foreign), 200, 100);
  ASSERT_NE(child, nullptr);
  PostMessageA(window, WM_USER, 0, 0);
  SetTimer(window, 1, 10, nullptr);
  headless::AdvanceClock(100);
  platform::DeliverExpose(window, RECT{0, 0, 10, 10});
  platform::DeliverFocusLost(window);
  headless::ResizeForeignWindow(foreign, 150, 90);
  EXPECT_FALSE(InputWaits());

  MSG msg{};
  ASSERT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE), TRUE);  // lets the resize through
  EXPECT_FALSE(InputWaits());
  RECT client{};
  GetClientRect(child, &client);
  EXPECT_EQ(client.right, 150) << "the resize did arrive";
}

TEST_F(InputPollTest, TerminationSignalStopsPollingLoopsUntilTheWindowSystemIsReset) {
  HWND window = MakeWindow();
  DispatchPending();
  ASSERT_TRUE(TavrinPostOnTerminationSignals(window, WM_CLOSE));
  EXPECT_FALSE(InputWaits());
  raise(SIGTERM);
  // Every poll says so until the process is done: a transition that polls stops at its next
  // step, however long the effect, and the close posted for the signal is handled.
  EXPECT_TRUE(InputWaits());
  EXPECT_TRUE(InputWaits());
  headless::SetBlockingWait(true);
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  headless::SetBlockingWait(false);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));

  headless::Install(640, 480);
  EXPECT_FALSE(InputWaits());
}

TEST_F(InputPollTest, FocusLossComesAheadOfWaitingInput) {
  HWND window = MakeWindow();
  DispatchPending();
  platform::DeliverInput(window, WM_KEYDOWN, 'K', 0);
  platform::DeliverFocusLost(window);
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_ACTIVATEAPP);
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(FALSE));
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_KEYDOWN);
}

}  // namespace
}  // namespace user_test
