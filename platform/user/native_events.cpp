// What backends report, what GDI needs of windows, and the reset for tests.
#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/backend.h"
#include "platform/handles.h"
#include "platform/user/user_state.h"
#include "platform/user/window_system.h"

namespace platform {

using user::LookUp;
using user::LookUpLocked;
using user::State;
using user::UserMutex;

void DeliverInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<user::MessageQueue> queue;
  {
    const std::scoped_lock lock(UserMutex());
    const auto record = LookUpLocked(window);
    if (!record || record->destroying) return;
    queue = record->queue;
    MSG msg{window, message, wParam, lParam, user::Now(), POINT{0, 0}};
    if (message == WM_MOUSEMOVE || user::InputBitOf(message) == QS_MOUSEBUTTON) {
      msg.pt = POINT{record->x + GET_X_LPARAM(lParam), record->y + GET_Y_LPARAM(lParam)};
    }
    queue->input.push_back(msg);
    queue->RecomputeInputBits();
  }
  if (queue->Owner() != std::this_thread::get_id()) queue->Wake();
}

void DeliverExpose(HWND window, const RECT& area) {
  InvalidateRect(window, &area, TRUE);
}

void DeliverResize(HWND window, int width, int height) {
  const auto record = LookUp(window);
  if (!record) return;
  width = std::max(width, 0);
  height = std::max(height, 0);
  bool redraw = false;
  {
    const std::scoped_lock lock(UserMutex());
    if (record->destroying) return;
    redraw = (record->windowClass->style & (CS_HREDRAW | CS_VREDRAW)) != 0 &&
             (record->width != width || record->height != height);
    record->width = width;
    record->height = height;
    // The update region may reach beyond the new size.
    record->update.right = std::min<LONG>(record->update.right, width);
    record->update.bottom = std::min<LONG>(record->update.bottom, height);
  }
  if (redraw) InvalidateRect(window, nullptr, TRUE);
  user::CallProcedure(record, WM_SIZE, 0, MAKELPARAM(width, height));
}

// Win32 sends WM_ACTIVATEAPP. Here it waits at the front of the input, ahead of any key or
// pointer input, so that it reaches the procedure on the next retrieval, yet never inside a
// backend's Pump; it does not count as input for GetQueueStatus.
void DeliverFocusLost(HWND window) {
  std::shared_ptr<user::MessageQueue> queue;
  {
    const std::scoped_lock lock(UserMutex());
    const auto record = LookUpLocked(window);
    if (!record || record->destroying) return;
    queue = record->queue;
    queue->input.push_front(MSG{window, WM_ACTIVATEAPP, FALSE, 0, user::Now(), POINT{0, 0}});
  }
  if (queue->Owner() != std::this_thread::get_id()) queue->Wake();
}

void DeliverNativeDestroyed(HWND window) {
  const auto record = LookUp(window);
  if (record) user::DestroyTree(record, true);
}

void DeliverForeignDestroyed(std::uintptr_t nativeId) {
  std::vector<std::shared_ptr<user::Window>> children;
  {
    const std::scoped_lock lock(UserMutex());
    for (const auto& [value, record] : State().windows) {
      if (HandleValue(record->parent) == nativeId && !record->destroying) {
        children.push_back(record);
      }
    }
  }
  for (const auto& child : children) user::DestroyTree(child, true);
}

PixelSurface WindowSurface(HWND window) {
  Backend* backend = CurrentBackend();
  if (backend == nullptr || !LookUp(window)) return PixelSurface{};
  return backend->Surface(window);
}

void PresentWindow(HWND window, const RECT& changed) {
  Backend* backend = CurrentBackend();
  if (backend == nullptr || !LookUp(window)) return;
  const PixelSurface surface = backend->Surface(window);
  const RECT clipped{std::max<LONG>(changed.left, 0), std::max<LONG>(changed.top, 0),
                     std::min<LONG>(changed.right, surface.width),
                     std::min<LONG>(changed.bottom, surface.height)};
  if (clipped.right <= clipped.left || clipped.bottom <= clipped.top) return;
  backend->Present(window, clipped);
}

HWND FullScreenWindow() {
  const std::scoped_lock lock(UserMutex());
  for (const auto& [value, record] : State().windows) {
    if (record->fullScreen && !record->destroying) return record->handle;
  }
  return nullptr;
}

void ResetWindowSystem() {
  std::vector<HWND> natives;
  {
    const std::scoped_lock lock(UserMutex());
    user::UserState& state = State();
    for (const auto& [value, record] : state.windows) natives.push_back(record->handle);
    const std::uintptr_t lastWindow = state.lastWindow;
    state = user::UserState{};
    state.lastWindow = lastWindow;
    user::NextGeneration();
  }
  user::terminationRequested.store(false, std::memory_order_relaxed);
  if (Backend* backend = CurrentBackend()) {
    for (HWND window : natives) backend->DestroyNativeWindow(window);
  }
}

}  // namespace platform
