// Window text, the enabled state, visibility and the keyboard focus.
#include <atomic>
#include <memory>
#include <mutex>

#include "platform/backend.h"
#include "platform/user/user_state.h"

namespace platform::user {
namespace {
std::atomic<HWND> focusWindow{nullptr};
}  // namespace
}  // namespace platform::user

using namespace platform;        // NOLINT(google-build-using-namespace)
using namespace platform::user;  // NOLINT(google-build-using-namespace)

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
  if (!LookUp(window)) return FALSE;
  return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND window, LPSTR text, int size) {
  if (text == nullptr || size <= 0) return 0;
  text[0] = '\0';
  if (!LookUp(window)) return 0;
  return static_cast<int>(
      SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(text)));
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable) {
  const auto record = LookUp(window);
  if (!record) return FALSE;
  bool wasDisabled = false;
  {
    const std::scoped_lock lock(UserMutex());
    wasDisabled = (record->style & WS_DISABLED) != 0;
    if (enable != FALSE) {
      record->style &= ~static_cast<DWORD>(WS_DISABLED);
    } else {
      record->style |= WS_DISABLED;
    }
  }
  if (wasDisabled == (enable == FALSE)) return wasDisabled ? TRUE : FALSE;
  if (enable == FALSE && focusWindow.load() == window) focusWindow = nullptr;
  CallProcedure(record, WM_ENABLE, enable != FALSE ? TRUE : FALSE, 0);
  if (Backend* backend = CurrentBackend()) backend->ControlChanged(window);
  return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND window) {
  const std::scoped_lock lock(UserMutex());
  const auto record = LookUpLocked(window);
  return record && (record->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND window) {
  const std::scoped_lock lock(UserMutex());
  auto record = LookUpLocked(window);
  // Visible only when it and every ancestor of ours are shown, as on Win32.
  while (record) {
    if (!record->visible) return FALSE;
    if (record->parent == nullptr || IsForeignHandle(record->parent)) return TRUE;
    record = LookUpLocked(record->parent);
  }
  return FALSE;
}

HWND WINAPI SetFocus(HWND window) {
  if (window != nullptr && !LookUp(window)) return nullptr;
  return focusWindow.exchange(window);
}

HWND WINAPI GetFocus() {
  HWND focus = focusWindow.load();
  return focus != nullptr && LookUp(focus) ? focus : nullptr;
}
