// Termination signals as a window message, so that a saver ended by its caller (XScreenSaver
// sends SIGTERM) closes its window the ordinary way and releases what it holds.
//
// A signal handler may do almost nothing safely: it notes the signal and writes one byte to a
// pipe. A watcher thread reads the pipe and posts the message, which PostMessage allows from any
// thread. Once the window has closed, the program ends by the signal it noted.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/handles.h"
#include "platform/kernel/registry_store.h"
#include "platform/termination_exit.h"
#include "platform/user/user_state.h"
#include "platform/win32.h"

namespace {

int signalPipe[2] = {-1, -1};
std::atomic<std::uintptr_t> targetWindow{0};
std::atomic<UINT> targetMessage{0};
std::atomic<int> receivedSignal{0};  // the first termination signal; 0 while none came

// Only lock-free atomics may be touched from a signal handler.
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);

void OnTerminationSignal(int signal) {
  const int savedErrno = errno;
  int none = 0;
  receivedSignal.compare_exchange_strong(none, signal, std::memory_order_relaxed);
  platform::user::terminationRequested.store(true, std::memory_order_relaxed);
  const char byte = 1;
  // A full pipe already holds a wake-up: dropping this one loses nothing.
  [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
  errno = savedErrno;
}

void WatchSignals() {
  for (;;) {
    char byte = 0;
    const ssize_t got = read(signalPipe[0], &byte, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    PostMessageA(platform::MakeHandle<HWND>(targetWindow.load()), targetMessage.load(), 0, 0);
  }
}

// The pipe and the watcher are made once per process; later calls only change the target.
bool StartWatcher() {
  if (pipe2(signalPipe, O_CLOEXEC) != 0) return false;
  const int flags = fcntl(signalPipe[1], F_GETFL);
  fcntl(signalPipe[1], F_SETFL, flags | O_NONBLOCK);
  // The watcher blocks in read for the life of the process; the process's end takes it along.
  std::thread(WatchSignals).detach();
  return true;
}

}  // namespace

BOOL WINAPI TavrinPostOnTerminationSignals(HWND window, UINT message) {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] { ready = StartWatcher(); });
  if (!ready) return FALSE;
  platform::user::terminationRequested.store(false, std::memory_order_relaxed);
  receivedSignal.store(0, std::memory_order_relaxed);
  targetWindow.store(platform::HandleValue(window));
  targetMessage.store(message);
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    if (sigaction(signal, &action, nullptr) != 0) return FALSE;
  }
  return TRUE;
}

void WINAPI TavrinEndByTerminationSignal() {
  const int signal = receivedSignal.load(std::memory_order_relaxed);
  if (signal == 0) return;
  platform::registry::SyncPendingWrites();
  std::fflush(nullptr);
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;
  sigemptyset(&defaultAction.sa_mask);
  sigaction(signal, &defaultAction, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
}
