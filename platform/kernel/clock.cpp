#include <chrono>
#include <thread>

#include "platform/backend.h"
#include "platform/win32.h"

DWORD WINAPI GetTickCount() {
  if (platform::Backend* backend = platform::CurrentBackend()) return backend->TickCount();
  const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
  // Win32 wraps at 2^32 ms, and callers compute differences in DWORD arithmetic.
  return static_cast<DWORD>(
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
}

void WINAPI Sleep(DWORD milliseconds) {
  if (platform::Backend* backend = platform::CurrentBackend()) {
    backend->SleepFor(milliseconds);
    return;
  }
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
