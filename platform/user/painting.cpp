// The update region, WM_PAINT / WM_ERASEBKGND, and the default window procedure.
#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/backend.h"
#include "platform/handles.h"
#include "platform/user/user_state.h"

namespace platform::user {
namespace {

void AddToUpdate(Window& window, const RECT* area, bool erase) {
  RECT part = window.ClientRect();
  if (area != nullptr) {
    part.left = std::max(part.left, area->left);
    part.top = std::max(part.top, area->top);
    part.right = std::min(part.right, area->right);
    part.bottom = std::min(part.bottom, area->bottom);
  }
  if (part.right <= part.left || part.bottom <= part.top) return;
  if (window.NeedsPaint()) {
    window.update.left = std::min(window.update.left, part.left);
    window.update.top = std::min(window.update.top, part.top);
    window.update.right = std::max(window.update.right, part.right);
    window.update.bottom = std::max(window.update.bottom, part.bottom);
  } else {
    window.update = part;
  }
  window.erase = window.erase || erase;
  // A window of another thread must notice the paint it now owes.
  if (window.queue->Owner() != std::this_thread::get_id()) window.queue->Wake();
}

}  // namespace
}  // namespace platform::user

using namespace platform::user;  // NOLINT(google-build-using-namespace)

BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
  const std::scoped_lock lock(UserMutex());
  if (window == nullptr) {
    for (const auto& [value, record] : State().windows) AddToUpdate(*record, nullptr, erase != 0);
    return TRUE;
  }
  const auto record = LookUpLocked(window);
  if (!record) return FALSE;
  AddToUpdate(*record, rect, erase != 0);
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND window) {
  const auto record = LookUp(window);
  if (!record) return FALSE;
  bool paint = false;
  {
    const std::scoped_lock lock(UserMutex());
    paint = record->visible && record->NeedsPaint();
  }
  if (paint) CallProcedure(record, WM_PAINT, 0, 0);
  return TRUE;
}

HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT* paint) {
  if (paint == nullptr) return nullptr;
  const auto record = LookUp(window);
  if (!record) return nullptr;
  HDC dc = GetDC(window);
  if (dc == nullptr) return nullptr;
  RECT area{};
  bool erase = false;
  {
    const std::scoped_lock lock(UserMutex());
    area = record->update;
    erase = record->erase;
    // Validated before the erase, so that anything invalidated while erasing paints again.
    record->update = RECT{0, 0, 0, 0};
    record->erase = false;
  }
  *paint = PAINTSTRUCT{};
  paint->hdc = dc;
  paint->rcPaint = area;
  // fErase tells the painter that the background still needs erasing.
  if (erase)
    paint->fErase = CallProcedure(record, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
  return dc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (paint == nullptr || paint->hdc == nullptr) return FALSE;
  ReleaseDC(window, paint->hdc);
  return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (BeginPaint(window, &paint) != nullptr) EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH brush = nullptr;
      RECT client{};
      {
        const std::scoped_lock lock(UserMutex());
        const auto record = LookUpLocked(window);
        if (!record) return 0;
        brush = record->windowClass->background;
        client = record->ClientRect();
      }
      if (brush == nullptr) return 0;
      FillRect(platform::MakeHandle<HDC>(wParam), &client, brush);
      return 1;
    }
    case WM_SETTEXT: {
      {
        const std::scoped_lock lock(UserMutex());
        const auto record = LookUpLocked(window);
        if (!record) return FALSE;
        const auto* text = reinterpret_cast<LPCSTR>(lParam);  // NOLINT(performance-no-int-to-ptr)
        record->title = text != nullptr ? text : "";
      }
      if (platform::Backend* backend = platform::CurrentBackend()) backend->ControlChanged(window);
      return TRUE;
    }
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      std::string title;
      {
        const std::scoped_lock lock(UserMutex());
        const auto record = LookUpLocked(window);
        if (!record) return 0;
        title = record->title;
      }
      if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(title.size());
      auto* buffer = reinterpret_cast<LPSTR>(lParam);  // NOLINT(performance-no-int-to-ptr)
      if (buffer == nullptr || wParam == 0) return 0;
      const std::size_t copied = std::min<std::size_t>(title.size(), wParam - 1);
      std::copy_n(title.data(), copied, buffer);
      buffer[copied] = '\0';
      return static_cast<LRESULT>(copied);
    }
    case WM_SETCURSOR:
    default:
      return 0;
  }
}
