// The backend's windows as the X server sees them: the full-screen saver window, a preview
// inside a foreign window, and their names.
#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/handles.h"
#include "x11_test_support.h"

namespace x11_test {
namespace {

using FullScreenWindowTest = X11Test;
using ForeignParentTest = X11Test;

TEST_F(FullScreenWindowTest, CoversTheScreenTakesKeyboardPointerAndFocus) {
  const HWND saver = CreateFullScreen();
  ASSERT_NE(saver, nullptr);
  const XId native = NativeOf("Screen Saver");
  ASSERT_NE(native, 0u);

  const WindowFacts facts = probe_->Facts(native);
  EXPECT_TRUE(facts.overrideRedirect);
  EXPECT_TRUE(facts.viewable);
  EXPECT_EQ(facts.x, 0);
  EXPECT_EQ(facts.y, 0);
  EXPECT_EQ(facts.width, 1280);
  EXPECT_EQ(facts.height, 1024);
  EXPECT_EQ(probe_->FocusedWindow(), native);
  EXPECT_TRUE(probe_->KeyboardGrabbedElsewhere());
  EXPECT_TRUE(probe_->PointerGrabbedElsewhere());

  EXPECT_EQ(probe_->TextProperty(native, "_TAVRIN_CLASS"), kTestClass);
  EXPECT_EQ(probe_->CardinalProperty(native, "_NET_WM_PID"), static_cast<unsigned long>(getpid()));

  // Hiding and destroying it give the keyboard and pointer back.
  ASSERT_TRUE(DestroyWindow(saver));
  SyncBackend();
  EXPECT_FALSE(probe_->KeyboardGrabbedElsewhere());
  EXPECT_FALSE(probe_->PointerGrabbedElsewhere());
  EXPECT_EQ(probe_->FindByTitle("Screen Saver"), 0u);
}

TEST_F(FullScreenWindowTest, FocusTakenByAnotherClientIsReportedAsDeactivation) {
  const HWND saver = CreateFullScreen();
  ASSERT_NE(saver, nullptr);
  const XId other = probe_->CreateWindow(50, 50);
  probe_->Focus(other);
  ASSERT_TRUE(DispatchUntilSent(saver, WM_ACTIVATEAPP));
  EXPECT_EQ(LastSent(saver, WM_ACTIVATEAPP)->wParam, static_cast<WPARAM>(FALSE));
}

TEST_F(ForeignParentTest, ChildFillsParentFollowsItsSizeAndGoesWithIt) {
  const XId parent = probe_->CreateWindow(320, 200);
  const HWND preview =
      CreateWindowExA(0, kTestClass, "Preview", WS_CHILD | WS_VISIBLE, 0, 0, 320, 200,
                      platform::MakeHandle<HWND>(parent), nullptr, nullptr, nullptr);
  ASSERT_NE(preview, nullptr);
  SyncBackend();
  const std::vector<XId> children = probe_->Children(parent);
  ASSERT_EQ(children.size(), 1u);
  const XId child = children.front();
  WindowFacts facts = probe_->Facts(child);
  EXPECT_EQ(facts.x, 0);
  EXPECT_EQ(facts.y, 0);
  EXPECT_EQ(facts.width, 320);
  EXPECT_EQ(facts.height, 200);
  EXPECT_TRUE(facts.viewable);

  probe_->Resize(parent, 400, 250);
  ASSERT_TRUE(DispatchUntilSent(preview, WM_SIZE));
  EXPECT_EQ(LastSent(preview, WM_SIZE)->lParam, MAKELPARAM(400, 250));
  facts = probe_->Facts(child);
  EXPECT_EQ(facts.width, 400);
  EXPECT_EQ(facts.height, 250);
  RECT client{};
  ASSERT_TRUE(GetClientRect(preview, &client));
  EXPECT_EQ(client.right, 400);
  EXPECT_EQ(client.bottom, 250);

  probe_->Destroy(parent);
  ASSERT_TRUE(DispatchUntilSent(preview, WM_DESTROY));
  EXPECT_FALSE(IsWindow(preview));
}

TEST_F(ForeignParentTest, VanishedOrUnknownParentIsRefusedWithoutHarm) {
  const XId parent = probe_->CreateWindow(100, 100);
  const HWND parentHandle = platform::MakeHandle<HWND>(parent);
  EXPECT_TRUE(IsWindow(parentHandle));
  probe_->Destroy(parent);
  // The id is stale now: no window, no child, and the process lives on (no BadWindow exit).
  EXPECT_FALSE(IsWindow(parentHandle));
  EXPECT_EQ(CreateWindowExA(0, kTestClass, "Preview", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100,
                            parentHandle, nullptr, nullptr, nullptr),
            nullptr);
  SetForegroundWindow(parentHandle);  // raising a dead id must not end the process either
  SyncBackend();
  EXPECT_FALSE(IsWindow(platform::MakeHandle<HWND>(0x1FFFFFFF)));
}

}  // namespace
}  // namespace x11_test
