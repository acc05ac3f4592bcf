#include "platform/user/user_state.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <system_error>

#include "platform/backend.h"
#include "platform/handles.h"

namespace platform::user {
namespace {
std::atomic<std::uint64_t> currentGeneration{1};
thread_local std::shared_ptr<MessageQueue> threadQueue;
}  // namespace

std::atomic<bool> terminationRequested{false};

MessageQueue::MessageQueue(std::uint64_t generation)
    : wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      owner_(std::this_thread::get_id()),
      generation_(generation) {
  if (wakeFd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

MessageQueue::~MessageQueue() {
  close(wakeFd_);
}

void MessageQueue::Wake() const {
  const std::uint64_t one = 1;
  // A full counter is still readable, which is all a waiter needs.
  [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
}

void MessageQueue::ClearWake() const {
  std::uint64_t count = 0;
  [[maybe_unused]] const auto got = read(wakeFd_, &count, sizeof count);
}

void MessageQueue::RecomputeInputBits() {
  DWORD bits = 0;
  for (const MSG& message : input) bits |= InputBitOf(message.message);
  inputBits.store(bits, std::memory_order_relaxed);
}

int ClientInset(DWORD style, DWORD exStyle, bool isStatic) {
  int inset = (style & WS_BORDER) != 0 ? 1 : 0;
  if ((exStyle & WS_EX_CLIENTEDGE) != 0) {
    inset += 2;
  } else if ((exStyle & WS_EX_STATICEDGE) != 0 || (isStatic && (style & SS_SUNKEN) != 0)) {
    inset += 1;
  }
  return inset;
}

std::mutex& UserMutex() {
  static std::mutex mutex;
  return mutex;
}

UserState& State() {
  static UserState state;
  return state;
}

std::uint64_t CurrentGeneration() {
  return currentGeneration.load(std::memory_order_acquire);
}
void NextGeneration() {
  currentGeneration.fetch_add(1, std::memory_order_acq_rel);
}

std::shared_ptr<Window> LookUpLocked(HWND window) {
  auto& windows = State().windows;
  const auto found = windows.find(HandleValue(window));
  return found == windows.end() ? nullptr : found->second;
}

std::shared_ptr<Window> LookUp(HWND window) {
  const std::scoped_lock lock(UserMutex());
  return LookUpLocked(window);
}

bool IsForeignHandle(HWND window) {
  const std::uintptr_t value = HandleValue(window);
  return value != 0 && value < kForeignIdLimit;
}

std::shared_ptr<MessageQueue> CurrentQueue() {
  const std::uint64_t current = CurrentGeneration();
  if (!threadQueue || threadQueue->Generation() != current) {
    threadQueue = std::make_shared<MessageQueue>(current);
  }
  return threadQueue;
}

const MessageQueue* CurrentQueueIfAny() {
  const MessageQueue* queue = threadQueue.get();
  if (queue == nullptr || queue->Generation() != CurrentGeneration()) return nullptr;
  return queue;
}

DWORD InputBitOf(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return QS_KEY;
    case WM_MOUSEMOVE:
      return QS_MOUSEMOVE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return QS_MOUSEBUTTON;
    default:
      return 0;
  }
}

DWORD Now() {
  if (Backend* backend = CurrentBackend()) return backend->TickCount();
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

LRESULT CallProcedure(const std::shared_ptr<Window>& window, UINT message, WPARAM wParam,
                      LPARAM lParam) {
  WNDPROC procedure = nullptr;
  HWND handle = nullptr;
  {
    const std::scoped_lock lock(UserMutex());
    if (!window || LookUpLocked(window->handle) != window) return 0;
    procedure = window->procedure;
    handle = window->handle;
  }
  return procedure != nullptr ? procedure(handle, message, wParam, lParam) : 0;
}

void ForgetQueuedFor(MessageQueue& queue, HWND window) {
  std::erase_if(queue.timers, [window](const Timer& timer) { return timer.window == window; });
  std::erase_if(queue.posted, [window](const MSG& message) { return message.hwnd == window; });
  std::erase_if(queue.input, [window](const MSG& message) { return message.hwnd == window; });
  queue.RecomputeInputBits();
}

}  // namespace platform::user
