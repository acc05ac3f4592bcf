// A second Tavrin-like process for the tests: makes a window of the saver's class and title
// on the X11 backend, says "ready" on standard output, and lives until its standard input
// closes.
#include <cstdio>

#include "platform/win32.h"
#include "platform/x11/x11_backend.h"

namespace {
LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

int main() {
  if (!platform::x11::Install()) return 2;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = OwnerProcedure;
  windowClass.lpszClassName = "WindowsScreenSaverClass";
  if (RegisterClassA(&windowClass) == 0) return 3;
  const HWND window =
      CreateWindowExA(0, "WindowsScreenSaverClass", "Screen Saver", WS_POPUP | WS_VISIBLE, 40, 30,
                      160, 120, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) return 4;
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  POINT ignored{};
  GetCursorPos(&ignored);  // a round trip: the window is on the server before we say so
  std::puts("ready");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  DestroyWindow(window);
  return 0;
}
