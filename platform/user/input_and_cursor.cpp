// The input poll, the pointer and the screen metrics.
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/backend.h"
#include "platform/handles.h"
#include "platform/user/long_job.h"
#include "platform/user/user_state.h"

namespace platform::user {
namespace {
// Icons and cursors are never drawn; these values only have to be non-null and stable. They
// sit in the stock range, far from any stock object GDI hands out.
constexpr std::uintptr_t kIconHandle = kStockObjectHandleBase | 0x00F10000;
constexpr std::uintptr_t kArrowCursorHandle = kStockObjectHandleBase | 0x00F20000;
}  // namespace
}  // namespace platform::user

using namespace platform;        // NOLINT(google-build-using-namespace)
using namespace platform::user;  // NOLINT(google-build-using-namespace)

DWORD WINAPI GetQueueStatus(UINT flags) {
  // Called tens of thousands of times per drawing step: no lock, no allocation, and exactly
  // one look at the backend's source per call (the pace of every effect counts these).
  DWORD bits = 0;
  if (const MessageQueue* queue = CurrentQueueIfAny()) {
    bits = queue->inputBits.load(std::memory_order_relaxed);
  }
  if (Backend* backend = CurrentBackend(); backend != nullptr && backend->InputPending()) {
    bits |= QS_INPUT;  // the backend says only that input waits, not which kind
  }
  if (terminationRequested.load(std::memory_order_relaxed)) bits |= QS_KEY;
  bits &= flags & QS_INPUT;
  return (bits << 16) | bits;
}

namespace {

bool ShowsFullScreenWindow() {
  const std::thread::id self = std::this_thread::get_id();
  const std::scoped_lock lock(UserMutex());
  for (const auto& [value, window] : State().windows) {
    if (window->fullScreen && !window->destroying && window->queue &&
        window->queue->Owner() == self) {
      return true;
    }
  }
  return false;
}

}  // namespace

// Lives beside the input poll, which it answers with: every program that shows the saver links
// this file, so the picture library always finds the query among the program's exports.
bool platform::LongJobShouldStop() {
  if (terminationRequested.load(std::memory_order_relaxed)) return true;
  return ShowsFullScreenWindow() && GetQueueStatus(QS_INPUT) != 0;
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
  Backend* backend = CurrentBackend();
  if (point == nullptr || backend == nullptr) return FALSE;
  *point = backend->CursorPos();
  return TRUE;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  HCURSOR previous = nullptr;
  {
    const std::scoped_lock lock(UserMutex());
    UserState& state = State();
    previous = state.cursorSet ? state.cursor : MakeHandle<HCURSOR>(kArrowCursorHandle);
    state.cursor = cursor;
    state.cursorSet = true;
  }
  // Told every time, not only on a change: a window made since the last call must get the
  // blank cursor too.
  if (Backend* backend = CurrentBackend()) backend->SetCursorHidden(cursor == nullptr);
  return previous;
}

int WINAPI GetSystemMetrics(int index) {
  Backend* backend = CurrentBackend();
  if (backend == nullptr) return 0;
  switch (index) {
    case SM_CXSCREEN:
      return backend->ScreenWidth();
    case SM_CYSCREEN:
      return backend->ScreenHeight();
    default:
      return 0;
  }
}

HICON WINAPI LoadIconA(HINSTANCE /*instance*/, LPCSTR /*name*/) {
  return MakeHandle<HICON>(kIconHandle);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance != nullptr || name != IDC_ARROW) return nullptr;
  return MakeHandle<HCURSOR>(kArrowCursorHandle);
}
