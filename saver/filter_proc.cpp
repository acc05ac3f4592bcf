// The saver window class's procedure: what the host takes care of before the slide show.
#include "saver/host.h"
#include "saver/screen_saver.h"

namespace {

bool IsInput(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      return true;
    default:
      return false;
  }
}

// Switching away and starting another saver would leave this one running unseen.
bool IsRefusedSystemCommand(WPARAM command) {
  // Windows keeps the low four bits for itself.
  const WPARAM code = command & 0xFFF0;
  return code == SC_NEXTWINDOW || code == SC_PREVWINDOW || code == SC_SCREENSAVE;
}

}  // namespace

LRESULT CALLBACK ScreenSaverFilterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool preview = ScreenSaverHost.Preview != FALSE;
  const bool closing = ScreenSaverHost.Closing != FALSE;
  switch (message) {
    case WM_CREATE:
      ScreenSaverHost.SaverWindow = window;
      GetCursorPos(&ScreenSaverHost.InitialCursor);
      if (!preview) SetCursor(nullptr);
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      break;
    case WM_SETTEXT:
      return 0;
    case WM_PAINT:
      if (closing) return DefWindowProc(window, message, wParam, lParam);
      if (!preview) SetCursor(nullptr);
      break;
    case WM_HELP:
    case WM_CONTEXTMENU:
      if (preview) {
        HWND parent = GetParent(window);
        if (parent != nullptr && IsWindow(parent) != FALSE) {
          PostMessage(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
        }
        return 1;
      }
      break;
    case WM_SYSCOMMAND:
      if (!preview && IsRefusedSystemCommand(wParam)) return 0;
      break;
    case WM_TIMER:
      if (closing) return 0;
      Sleep(0);
      break;
    default:
      if (closing && IsInput(message)) return DefWindowProc(window, message, wParam, lParam);
      break;
  }
  return ScreenSaverProc(window, message, wParam, lParam);
}
