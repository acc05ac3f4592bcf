// The fixture of the X11 backend's tests: a fresh window system on the X11 backend, a window
// class whose procedure records what it is sent, and a probe connection.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/win32.h"
#include "x_probe.h"

namespace x11_test {

struct SeenMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

inline constexpr const char* kTestClass = "TavrinX11Test";

class X11Test : public ::testing::Test {
 public:
  // Messages the test procedure has been sent, oldest first.
  static std::vector<SeenMessage>& Seen();

 protected:
  void SetUp() override;
  void TearDown() override;

  // The saver's full-screen window: WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, the screen's size.
  HWND CreateFullScreen(const char* title = "Screen Saver");
  HWND CreateTopLevel(int x, int y, int width, int height);
  // The X window the backend made for one of our windows, found through its title.
  XId NativeOf(const char* title);

  static bool WasSent(HWND window, UINT message);
  static const SeenMessage* LastSent(HWND window, UINT message);

  // Retrieves and dispatches messages until `window` has been sent `message`. False when a
  // generous guard of real time runs out first (the test then fails instead of hanging).
  bool DispatchUntilSent(HWND window, UINT message);
  // Calls GetQueueStatus(QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON) up to `maxPolls` times: the
  // number of the first poll that reported input, or 0 when none did.
  static int PollsUntilInput(int maxPolls);
  // One round trip on the backend's connection, so that the server has handled everything
  // it was sent before the probe looks.
  static void SyncBackend();

  std::unique_ptr<XProbe> probe_;
};

}  // namespace x11_test
