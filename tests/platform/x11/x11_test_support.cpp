#include "x11_test_support.h"

#include <string>

#include "platform/backend.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/user/window_system.h"
#include "platform/x11/x11_backend.h"

namespace x11_test {
namespace {

// How long DispatchUntilSent waits at most, in ticks, before the test fails: generous, since
// the message is normally there at once.
constexpr UINT kTickMilliseconds = 10;
constexpr int kTickBound = 1000;

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  X11Test::Seen().push_back({window, message, wParam, lParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

std::vector<SeenMessage>& X11Test::Seen() {
  static std::vector<SeenMessage> seen;
  return seen;
}

void X11Test::SetUp() {
  platform::ResetWindowSystem();
  platform::gdi::ResetGdi();
  Seen().clear();
  ASSERT_TRUE(platform::x11::Install()) << "no X display: run under run-under-xvfb";
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = RecordingProcedure;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kTestClass;
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  probe_ = std::make_unique<XProbe>();
}

void X11Test::TearDown() {
  platform::ResetWindowSystem();
  platform::gdi::ResetGdi();
  platform::InstallBackend(nullptr);
  probe_.reset();
}

HWND X11Test::CreateFullScreen(const char* title) {
  return CreateWindowExA(WS_EX_TOPMOST, kTestClass, title,
                         WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                         GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                         nullptr, nullptr, nullptr);
}

HWND X11Test::CreateTopLevel(int x, int y, int width, int height) {
  return CreateWindowExA(0, kTestClass, "Top level", WS_POPUP | WS_VISIBLE, x, y, width, height,
                         nullptr, nullptr, nullptr, nullptr);
}

XId X11Test::NativeOf(const char* title) {
  SyncBackend();
  return probe_->FindByTitle(title);
}

bool X11Test::WasSent(HWND window, UINT message) {
  return LastSent(window, message) != nullptr;
}

const SeenMessage* X11Test::LastSent(HWND window, UINT message) {
  const auto& seen = Seen();
  for (auto it = seen.rbegin(); it != seen.rend(); ++it) {
    if (it->window == window && it->message == message) return &*it;
  }
  return nullptr;
}

bool X11Test::DispatchUntilSent(HWND window, UINT message) {
  // Messages sent from inside the backend's pump (WM_SIZE, WM_DESTROY) leave nothing for
  // GetMessage to return: a ticking thread timer makes it come back to look.
  const UINT_PTR tick = SetTimer(nullptr, 0, kTickMilliseconds, nullptr);
  int ticks = 0;
  MSG msg{};
  while (!WasSent(window, message) && ticks < kTickBound && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == WM_TIMER && msg.wParam == tick) {
      ++ticks;
    } else {
      DispatchMessageA(&msg);
    }
  }
  KillTimer(nullptr, tick);
  return WasSent(window, message);
}

int X11Test::PollsUntilInput(int maxPolls) {
  for (int poll = 1; poll <= maxPolls; ++poll) {
    if ((GetQueueStatus(QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON) >> 16) != 0) return poll;
  }
  return 0;
}

void X11Test::SyncBackend() {
  POINT ignored{};
  GetCursorPos(&ignored);  // XQueryPointer: answered only after all earlier requests
}

}  // namespace x11_test
