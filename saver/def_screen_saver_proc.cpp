// The host's default handling of the saver window: user input closes a full-screen saver.
#include <cstdlib>

#include "saver/host.h"
#include "saver/screen_saver.h"

namespace {

// Pointer motion up to this many pixels (across plus down) is a jolt, not a user.
constexpr LONG MouseThreshold = 4;

// There is no screen-saver password on this platform: a close is always allowed, and from
// then on input and ticks stop reaching the slide show.
bool AllowClose() {
  ScreenSaverHost.Closing = TRUE;
  return true;
}

}  // namespace

LRESULT CALLBACK DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (ScreenSaverHost.Preview != FALSE || ScreenSaverHost.Closing != FALSE) {
    return DefWindowProc(window, message, wParam, lParam);
  }
  switch (message) {
    case WM_CLOSE:
      if (!AllowClose()) {
        GetCursorPos(&ScreenSaverHost.InitialCursor);
        return 0;
      }
      break;
    case WM_SETCURSOR:
      SetCursor(nullptr);
      return 1;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      PostMessage(window, WM_CLOSE, 0, 0);
      break;
    case WM_MOUSEMOVE: {
      POINT cursor{};
      GetCursorPos(&cursor);
      const LONG moved = std::abs(cursor.x - ScreenSaverHost.InitialCursor.x) +
                         std::abs(cursor.y - ScreenSaverHost.InitialCursor.y);
      if (moved > MouseThreshold) {
        PostMessage(window, WM_CLOSE, 0, 0);
        ScreenSaverHost.InitialCursor = cursor;
      }
      break;
    }
    case WM_ACTIVATEAPP:
      if (wParam == FALSE) PostMessage(window, WM_CLOSE, 0, 0);
      break;
    case WM_SHOWWINDOW:
      if (wParam == TRUE) SetCursor(nullptr);
      break;
    default:
      break;
  }
  return DefWindowProc(window, message, wParam, lParam);
}
