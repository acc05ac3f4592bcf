#include "player/quiet_backend.h"

#include <poll.h>
#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>
#include <memory>

#include "platform/backend.h"

namespace player_glue {
namespace {

class QuietBackend final : public platform::Backend {
 public:
  DWORD TickCount() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000 +
                              static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000;
    return static_cast<DWORD>(milliseconds);
  }

  void SleepFor(DWORD milliseconds) override {
    if (milliseconds == 0) {
      sched_yield();
      return;
    }
    timespec remaining{static_cast<time_t>(milliseconds / 1000),
                       static_cast<long>(milliseconds % 1000) * 1'000'000};
    // A signal handled elsewhere must not cut the pause short.
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
  }

  int ScreenWidth() override { return 0; }
  int ScreenHeight() override { return 0; }

  bool CreateNativeWindow(HWND /*window*/,
                          const platform::NativeWindowParams& /*params*/) override {
    return true;
  }
  void DestroyNativeWindow(HWND /*window*/) override {}
  void ShowNativeWindow(HWND /*window*/, bool /*visible*/) override {}
  platform::PixelSurface Surface(HWND /*window*/) override { return {}; }
  void Present(HWND /*window*/, const RECT& /*changed*/) override {}

  bool ForeignWindowExists(std::uintptr_t /*nativeId*/) override { return false; }
  bool ForeignClientSize(std::uintptr_t /*nativeId*/, int* /*width*/, int* /*height*/) override {
    return false;
  }
  std::uintptr_t FindNativeWindow(const char* /*className*/, const char* /*title*/) override {
    return 0;
  }
  void RaiseWindow(HWND /*window*/) override {}

  POINT CursorPos() override { return POINT{0, 0}; }
  void SetCursorHidden(bool /*hidden*/) override {}

  bool InputPending() override { return false; }
  void Pump() override {}

  void Wait(int wakeFd, DWORD timeoutMs) override {
    const int timeout =
        timeoutMs == INFINITE ? -1 : static_cast<int>(std::min<DWORD>(timeoutMs, INT_MAX));
    pollfd wake{wakeFd, POLLIN, 0};
    // A signal (EINTR) ends the wait too: the caller looks again, as after any wake-up.
    ::poll(&wake, wakeFd >= 0 ? 1 : 0, timeout);
  }
};

}  // namespace

void InstallQuietBackend() {
  platform::InstallBackend(std::make_unique<QuietBackend>());
}

}  // namespace player_glue
