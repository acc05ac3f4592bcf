// Window records: creation, destruction and the few properties the system reads.
#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend.h"
#include "platform/handles.h"
#include "platform/user/user_state.h"

namespace platform::user {
namespace {

// A window that has been neither destroyed nor started being destroyed.
bool Alive(const std::shared_ptr<Window>& window) {
  const std::scoped_lock lock(UserMutex());
  return LookUpLocked(window->handle) == window && !window->destroying;
}

bool CoversScreen(Backend& backend, int x, int y, int width, int height) {
  const int screenWidth = backend.ScreenWidth();
  const int screenHeight = backend.ScreenHeight();
  return x <= 0 && y <= 0 && static_cast<long long>(x) + width >= screenWidth &&
         static_cast<long long>(y) + height >= screenHeight;
}

bool ClassMatches(const WindowClass& windowClass, LPCSTR className) {
  if (className == nullptr) return true;
  if (IS_INTRESOURCE(className)) {
    return windowClass.atom == static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(className));
  }
  return LowerCase(className) == LowerCase(windowClass.name.c_str());
}

}  // namespace

void DestroyTree(const std::shared_ptr<Window>& root, bool sendDestroy) {
  // Parents before children, as Win32 sends WM_DESTROY; WM_NCDESTROY goes the other way.
  std::vector<std::shared_ptr<Window>> order;
  bool wasVisible = false;
  {
    const std::scoped_lock lock(UserMutex());
    if (root->destroying || LookUpLocked(root->handle) != root) return;
    UserState& state = State();
    wasVisible = root->visible;
    const std::function<void(const std::shared_ptr<Window>&)> collect =
        [&](const std::shared_ptr<Window>& window) {
          window->destroying = true;
          window->visible = false;
          if (state.foreground == window->handle) state.foreground = nullptr;
          order.push_back(window);
          for (const auto& [value, child] : state.windows) {
            if (child->parent == window->handle && !child->destroying) collect(child);
          }
        };
    collect(root);
  }
  Backend* backend = CurrentBackend();
  if (wasVisible && backend != nullptr) backend->ShowNativeWindow(root->handle, false);
  if (sendDestroy) {
    for (const auto& window : order) CallProcedure(window, WM_DESTROY, 0, 0);
  }
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    const std::shared_ptr<Window>& window = *it;
    CallProcedure(window, WM_NCDESTROY, 0, 0);
    // The backend is told even when the native window has already gone (a foreign parent
    // took it along), so that it can free what it kept for it.
    if (backend != nullptr) backend->DestroyNativeWindow(window->handle);
    const std::scoped_lock lock(UserMutex());
    ForgetQueuedFor(*window->queue, window->handle);
    State().windows.erase(HandleValue(window->handle));
  }
}

}  // namespace platform::user

using namespace platform;        // NOLINT(google-build-using-namespace)
using namespace platform::user;  // NOLINT(google-build-using-namespace)

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  Backend* backend = CurrentBackend();
  if (backend == nullptr) return nullptr;
  if (x == CW_USEDEFAULT) x = 0;
  if (y == CW_USEDEFAULT) y = 0;
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (parent == nullptr) {
    if ((style & WS_CHILD) != 0) return nullptr;
  } else if (IsForeignHandle(parent)) {
    if (!backend->ForeignWindowExists(HandleValue(parent))) return nullptr;
  } else {
    const auto parentRecord = LookUp(parent);
    if (!parentRecord || parentRecord->destroying) return nullptr;
  }
  const bool fullScreen = parent == nullptr && (style & WS_POPUP) != 0 &&
                          (exStyle & WS_EX_TOPMOST) != 0 &&
                          CoversScreen(*backend, x, y, width, height);

  auto window = std::make_shared<Window>();
  NativeWindowParams params;
  {
    const std::scoped_lock lock(UserMutex());
    auto windowClass = FindClassLocked(className);
    if (!windowClass) return nullptr;
    UserState& state = State();
    window->handle = MakeHandle<HWND>(kWindowHandleBase + ++state.lastWindow);
    window->procedure = windowClass->procedure;
    window->style = style & ~static_cast<DWORD>(WS_VISIBLE);  // set once it is shown
    window->exStyle = exStyle;
    window->title = windowName != nullptr ? windowName : "";
    window->parent = parent;
    if ((style & WS_CHILD) != 0) window->id = static_cast<int>(HandleValue(menu));
    window->x = x;
    window->y = y;
    window->width = width;
    window->height = height;
    if ((style & WS_CHILD) != 0) {
      window->inset = ClientInset(style, exStyle, LowerCase(windowClass->name.c_str()) == "static");
    }
    window->fullScreen = fullScreen;
    window->queue = CurrentQueue();
    params = NativeWindowParams{x,
                                y,
                                width,
                                height,
                                parent,
                                fullScreen,
                                (style & WS_VISIBLE) != 0,
                                windowClass->name,
                                window->title,
                                style,
                                (style & WS_CHILD) != 0 ? static_cast<int>(HandleValue(menu)) : 0,
                                window->inset};
    window->windowClass = std::move(windowClass);
    state.windows.emplace(HandleValue(window->handle), window);
  }
  if (!backend->CreateNativeWindow(window->handle, params)) {
    const std::scoped_lock lock(UserMutex());
    State().windows.erase(HandleValue(window->handle));
    return nullptr;
  }

  CREATESTRUCTA create{
      param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
      windowName, className, exStyle};
  const auto createParam = reinterpret_cast<LPARAM>(&create);
  if (CallProcedure(window, WM_NCCREATE, 0, createParam) == FALSE) {
    DestroyTree(window, false);
    return nullptr;
  }
  // The procedure may destroy its own window while it is being created; the caller then
  // gets no handle, as on Win32.
  if (!Alive(window)) return nullptr;
  if (CallProcedure(window, WM_CREATE, 0, createParam) == -1) {
    DestroyTree(window, true);
    return nullptr;
  }
  if (!Alive(window)) return nullptr;
  if ((style & WS_VISIBLE) != 0) {
    CallProcedure(window, WM_SHOWWINDOW, TRUE, 0);
    const std::scoped_lock lock(UserMutex());
    if (LookUpLocked(window->handle) != window || window->destroying) return nullptr;
    window->visible = true;
    window->style |= WS_VISIBLE;
    window->update = window->ClientRect();
    window->erase = true;
  }
  return window->handle;
}

BOOL WINAPI DestroyWindow(HWND window) {
  const auto record = LookUp(window);
  if (!record) return FALSE;
  {
    const std::scoped_lock lock(UserMutex());
    if (record->destroying) return TRUE;  // already on its way out: nothing more to do
  }
  // Win32 lets only the owning thread destroy a window.
  if (record->queue->Owner() != std::this_thread::get_id()) return FALSE;
  DestroyTree(record, true);
  return TRUE;
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName) {
  {
    const std::scoped_lock lock(UserMutex());
    const std::string title = windowName != nullptr ? LowerCase(windowName) : std::string();
    for (const auto& [value, window] : State().windows) {
      if (window->destroying || (window->style & WS_CHILD) != 0) continue;
      if (!ClassMatches(*window->windowClass, className)) continue;
      if (windowName != nullptr && LowerCase(window->title.c_str()) != title) continue;
      return window->handle;
    }
  }
  Backend* backend = CurrentBackend();
  if (backend == nullptr || (className != nullptr && IS_INTRESOURCE(className))) return nullptr;
  const std::uintptr_t id = backend->FindNativeWindow(className, windowName);
  if (id == 0) return nullptr;
  if (id < kForeignIdLimit) return MakeHandle<HWND>(id);
  const auto ours = LookUp(MakeHandle<HWND>(id));
  return ours && !ours->destroying ? ours->handle : nullptr;
}

BOOL WINAPI IsWindow(HWND window) {
  if (IsForeignHandle(window)) {
    Backend* backend = CurrentBackend();
    return backend != nullptr && backend->ForeignWindowExists(HandleValue(window)) ? TRUE : FALSE;
  }
  return LookUp(window) != nullptr ? TRUE : FALSE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  if (rect == nullptr) return FALSE;
  if (IsForeignHandle(window)) {
    Backend* backend = CurrentBackend();
    int width = 0;
    int height = 0;
    if (backend == nullptr || !backend->ForeignClientSize(HandleValue(window), &width, &height)) {
      return FALSE;
    }
    *rect = RECT{0, 0, width, height};
    return TRUE;
  }
  const std::scoped_lock lock(UserMutex());
  const auto record = LookUpLocked(window);
  if (!record) return FALSE;
  *rect = record->ClientRect();
  return TRUE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
  const auto record = LookUp(window);
  if (!record) return FALSE;
  const bool show = command != SW_HIDE;
  {
    const std::scoped_lock lock(UserMutex());
    if (record->destroying) return FALSE;
    if (record->visible == show) return record->visible ? TRUE : FALSE;
  }
  CallProcedure(record, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  {
    const std::scoped_lock lock(UserMutex());
    if (LookUpLocked(window) != record || record->destroying) return show ? FALSE : TRUE;
    record->visible = show;
    if (show) {
      record->style |= WS_VISIBLE;
      record->update = record->ClientRect();
      record->erase = true;
    } else {
      record->style &= ~static_cast<DWORD>(WS_VISIBLE);
    }
  }
  if (Backend* backend = CurrentBackend()) backend->ShowNativeWindow(window, show);
  return show ? FALSE : TRUE;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
  Backend* backend = CurrentBackend();
  if (backend == nullptr) return FALSE;
  if (IsForeignHandle(window)) {
    if (!backend->ForeignWindowExists(HandleValue(window))) return FALSE;
  } else {
    const std::scoped_lock lock(UserMutex());
    const auto record = LookUpLocked(window);
    if (!record || record->destroying) return FALSE;
  }
  {
    const std::scoped_lock lock(UserMutex());
    State().foreground = window;
  }
  backend->RaiseWindow(window);
  return TRUE;
}

HWND WINAPI GetForegroundWindow() {
  HWND foreground = nullptr;
  {
    const std::scoped_lock lock(UserMutex());
    foreground = State().foreground;
    if (foreground == nullptr || !IsForeignHandle(foreground)) return foreground;
  }
  return IsWindow(foreground) != FALSE ? foreground : nullptr;
}

HWND WINAPI GetParent(HWND window) {
  const std::scoped_lock lock(UserMutex());
  const auto record = LookUpLocked(window);
  return record ? record->parent : nullptr;
}

HWND WINAPI GetDesktopWindow() {
  Backend* backend = CurrentBackend();
  const std::uintptr_t id = backend != nullptr ? backend->DesktopWindowId() : 0;
  return id != 0 && id < kForeignIdLimit ? MakeHandle<HWND>(id) : nullptr;
}
