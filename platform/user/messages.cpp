// Posting, sending and retrieving messages: one queue per thread, in Win32's order.
#include <poll.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/backend.h"
#include "platform/handles.h"
#include "platform/user/user_state.h"
#include "platform/user/window_system.h"

namespace platform::user {
namespace {

// Set by a backend that has nothing more to wait for; read by the GetMessage that waited.
thread_local bool waitAbandoned = false;

const HWND kThreadMessagesOnly = MakeHandle<HWND>(~std::uintptr_t{0});

struct Filter {
  HWND window;
  UINT first;
  UINT last;

  bool MatchesWindow(HWND target) const {
    if (window == nullptr) return true;
    if (window == kThreadMessagesOnly) return target == nullptr;
    return target == window;
  }
  bool MatchesMessage(UINT message) const {
    return (first == 0 && last == 0) || (first <= message && message <= last);
  }
  bool Matches(const MSG& message) const {
    return MatchesWindow(message.hwnd) && MatchesMessage(message.message);
  }
};

bool Due(const Timer& timer, DWORD now) {
  return static_cast<std::int32_t>(now - timer.due) >= 0;
}

MSG Make(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD now) {
  return MSG{window, message, wParam, lParam, now, POINT{0, 0}};
}

bool TakeFrom(std::deque<MSG>& messages, const Filter& filter, bool remove, MSG* out) {
  const auto found = std::find_if(messages.begin(), messages.end(), [&filter](const MSG& message) {
    return filter.Matches(message);
  });
  if (found == messages.end()) return false;
  *out = *found;
  if (remove) messages.erase(found);
  return true;
}

// Lock held. Looks for the next message in Win32's order and, with `remove`, takes it.
bool FetchLocked(MessageQueue& queue, const Filter& filter, bool remove, MSG* out) {
  if (TakeFrom(queue.posted, filter, remove, out)) return true;
  // WM_QUIT comes once no posted message is left for this caller, whatever the message
  // range; a caller looking for one window's messages never takes it, so it is not lost.
  if (queue.quitPosted && (filter.window == nullptr || filter.window == kThreadMessagesOnly)) {
    *out = Make(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, Now());
    if (remove) queue.quitPosted = false;
    return true;
  }
  if (TakeFrom(queue.input, filter, remove, out)) {
    if (remove) queue.RecomputeInputBits();
    return true;
  }
  if (filter.MatchesMessage(WM_PAINT)) {
    for (const auto& [value, window] : State().windows) {
      if (window->queue.get() != &queue || window->destroying || !window->visible) continue;
      if (!window->NeedsPaint() || !filter.MatchesWindow(window->handle)) continue;
      // WM_PAINT stays until the window validates its update region.
      *out = Make(window->handle, WM_PAINT, 0, 0, Now());
      return true;
    }
  }
  if (filter.MatchesMessage(WM_TIMER)) {
    const DWORD now = Now();
    Timer* next = nullptr;
    for (Timer& timer : queue.timers) {
      if (!filter.MatchesWindow(timer.window) || !Due(timer, now)) continue;
      if (next == nullptr || static_cast<std::int32_t>(timer.due - next->due) < 0) next = &timer;
    }
    if (next != nullptr) {
      *out = Make(next->window, WM_TIMER, next->id, 0, now);
      // Generated on demand: taking it re-arms the timer from now, so a late timer fires once
      // and does not catch up.
      if (remove) next->due = now + next->elapse;
      return true;
    }
  }
  return false;
}

// Lock held. Milliseconds until the nearest timer the caller could take; INFINITE for none.
DWORD NextTimerDelayLocked(const MessageQueue& queue, const Filter& filter) {
  if (!filter.MatchesMessage(WM_TIMER)) return INFINITE;
  const DWORD now = Now();
  DWORD delay = INFINITE;
  for (const Timer& timer : queue.timers) {
    if (!filter.MatchesWindow(timer.window)) continue;
    const auto left = static_cast<std::int32_t>(timer.due - now);
    delay = std::min(delay, left <= 0 ? DWORD{0} : static_cast<DWORD>(left));
  }
  return delay;
}

// Null, the thread-messages value, or a window of ours.
bool ValidFilterWindow(HWND window) {
  return window == nullptr || window == kThreadMessagesOnly || LookUp(window) != nullptr;
}

void WaitWithoutBackend(int fd, DWORD timeoutMs) {
  pollfd watched{fd, POLLIN, 0};
  const int timeout =
      timeoutMs == INFINITE ? -1 : static_cast<int>(std::min<DWORD>(timeoutMs, INT32_MAX));
  poll(&watched, 1, timeout);
}

}  // namespace
}  // namespace platform::user

namespace platform {
void AbandonWait() {
  user::waitAbandoned = true;
}
}  // namespace platform

using namespace platform;        // NOLINT(google-build-using-namespace)
using namespace platform::user;  // NOLINT(google-build-using-namespace)

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (msg == nullptr || !ValidFilterWindow(window)) return -1;
  const Filter filter{window, filterMin, filterMax};
  const auto queue = CurrentQueue();
  for (;;) {
    queue->ClearWake();
    Backend* backend = CurrentBackend();
    if (backend != nullptr) backend->Pump();
    DWORD timeout = INFINITE;
    {
      const std::scoped_lock lock(UserMutex());
      if (FetchLocked(*queue, filter, true, msg)) return msg->message == WM_QUIT ? FALSE : TRUE;
      timeout = NextTimerDelayLocked(*queue, filter);
    }
    if (timeout == 0) continue;
    waitAbandoned = false;
    if (backend != nullptr) {
      backend->Wait(queue->WakeFd(), timeout);
    } else {
      WaitWithoutBackend(queue->WakeFd(), timeout);
    }
    if (waitAbandoned) {
      waitAbandoned = false;
      return -1;
    }
  }
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
  if (msg == nullptr || !ValidFilterWindow(window)) return FALSE;
  const Filter filter{window, filterMin, filterMax};
  const auto queue = CurrentQueue();
  if (Backend* backend = CurrentBackend()) backend->Pump();
  const std::scoped_lock lock(UserMutex());
  return FetchLocked(*queue, filter, (remove & PM_REMOVE) != 0, msg) ? TRUE : FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
  if (msg == nullptr) return FALSE;
  switch (msg->message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return TRUE;
    default:
      return FALSE;
  }
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  // Thread messages, and so WM_TIMER of a thread timer (no timer procedures here), have no
  // procedure to go to.
  if (msg == nullptr || msg->hwnd == nullptr) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto record = LookUp(window);
  return record ? CallProcedure(record, message, wParam, lParam) : 0;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<MessageQueue> queue;
  if (window == nullptr) {
    queue = CurrentQueue();
    const std::scoped_lock lock(UserMutex());
    queue->posted.push_back(MSG{nullptr, message, wParam, lParam, Now(), POINT{0, 0}});
  } else {
    const std::scoped_lock lock(UserMutex());
    const auto record = LookUpLocked(window);
    // A foreign window belongs to another process: there is no queue here to post to.
    if (!record) return FALSE;
    queue = record->queue;
    queue->posted.push_back(MSG{window, message, wParam, lParam, Now(), POINT{0, 0}});
  }
  queue->Wake();
  return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
  const auto queue = CurrentQueue();
  const std::scoped_lock lock(UserMutex());
  queue->quitPosted = true;
  queue->quitCode = exitCode;
}

namespace {
UINT_PTR ArmTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
  if (timerProc != nullptr) return 0;  // nothing here calls timer procedures
  const DWORD period = std::clamp<DWORD>(elapse, kTimerMinimumMs, kTimerMaximumMs);
  std::shared_ptr<MessageQueue> queue = window == nullptr ? CurrentQueue() : nullptr;
  const std::scoped_lock lock(UserMutex());
  if (window != nullptr) {
    const auto record = LookUpLocked(window);
    if (!record || record->queue->Owner() != std::this_thread::get_id()) return 0;
    queue = record->queue;
  }
  const DWORD due = Now() + period;
  auto existing = std::find_if(queue->timers.begin(), queue->timers.end(), [&](const Timer& timer) {
    return timer.window == window && timer.id == id;
  });
  if (existing != queue->timers.end()) {
    existing->elapse = period;
    existing->due = due;
    return window != nullptr ? (id != 0 ? id : 1) : id;
  }
  if (window == nullptr) {
    // Win32 ignores the id of a new thread timer and makes one up.
    UserState& state = State();
    auto inUse = [&](UINT_PTR candidate) {
      return std::any_of(queue->timers.begin(), queue->timers.end(), [&](const Timer& timer) {
        return timer.window == nullptr && timer.id == candidate;
      });
    };
    do {
      id = state.nextThreadTimerId++;
      if (state.nextThreadTimerId == 0) state.nextThreadTimerId = 1;
    } while (id == 0 || inUse(id));
  }
  queue->timers.push_back(Timer{window, id, period, due});
  return window != nullptr ? (id != 0 ? id : 1) : id;
}
}  // namespace

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
  const UINT_PTR result = ArmTimer(window, id, elapse, timerProc);
  if (result != 0 && window != nullptr) {
    if (Backend* backend = CurrentBackend()) backend->TimerChanged(window, id, elapse);
  }
  return result;
}

namespace {
BOOL DisarmTimer(HWND window, UINT_PTR id) {
  std::shared_ptr<MessageQueue> queue = window == nullptr ? CurrentQueue() : nullptr;
  const std::scoped_lock lock(UserMutex());
  if (window != nullptr) {
    const auto record = LookUpLocked(window);
    if (!record) return FALSE;
    queue = record->queue;
  }
  const auto removed = std::erase_if(
      queue->timers, [&](const Timer& timer) { return timer.window == window && timer.id == id; });
  return removed != 0 ? TRUE : FALSE;
}
}  // namespace

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
  const BOOL killed = DisarmTimer(window, id);
  if (killed != FALSE && window != nullptr) {
    if (Backend* backend = CurrentBackend()) backend->TimerChanged(window, id, 0);
  }
  return killed;
}
