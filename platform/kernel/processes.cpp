// Child processes: fork + exec, no shell; tied to the parent's life by a parent-death signal.
//
// Reaping: every child has a waiter thread that waits, without reaping (WNOWAIT), for the
// child's end and then reaps it under the table lock, so an ended child is never left a zombie,
// whether or not its handle is still open. Only the table's lock holder reaps, so while the lock
// is held a child not marked reaped still owns its pid: TerminateProcess never signals a
// stranger that reused it. Where the kernel has pidfds, the child is also named by one, for
// waiting and for signalling, which stays right even if other code reaped the child. The waiter
// only ever waits for its own child: children that other code starts (popen, posix_spawn) are
// left to their owners.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/handles.h"
#include "platform/kernel/last_error.h"
#include "platform/win32.h"

namespace platform {
namespace {

// Thread handles share the process range, above every process handle.
constexpr std::uintptr_t kThreadHandleFlag = 0x00800000;
constexpr std::uintptr_t kHandleIndexMask = 0x007FFFFF;

// -1 where the kernel has no pidfds; the descriptor closes on exec.
int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
  static_cast<void>(pid);
  return -1;
#endif
}

// Shared by the process handle and the child's waiter; the last of them closes the pidfd.
struct ChildProcess {
  explicit ChildProcess(pid_t childPid) : pid(childPid), pidFd(OpenPidFd(childPid)) {}
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (pidFd >= 0) close(pidFd);
  }

  const pid_t pid;
  const int pidFd;  // names this very process even after someone else reaped it; -1: none
  bool reaped = false;
  DWORD exitCode = STILL_ACTIVE;
};

std::mutex processMutex;
std::condition_variable processEnded;  // notified whenever a waiter has reaped its child
// By process handle value; a child's waiter shares its record, so the handle may close first.
std::map<std::uintptr_t, std::shared_ptr<ChildProcess>> processes;
std::map<std::uintptr_t, pid_t> threads;  // dummy thread handles
std::uintptr_t nextIndex = 1;

DWORD ExitCodeFromStatus(int status) {
  if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return static_cast<DWORD>(128 + WTERMSIG(status));
  return 0;
}

pid_t WaitFor(pid_t pid, int* status, int options) {
  pid_t result = 0;
  do {
    result = waitpid(pid, status, options);
  } while (result < 0 && errno == EINTR);
  return result;
}

// Waits (or with WNOHANG, looks) for the child's exit and reaps it: its exit code, nullopt while
// it runs, or 0 when it is no longer ours (someone else reaped it). Through the pidfd where there
// is one, so that a pid reused after another's reap is never waited for.
std::optional<DWORD> Reap(const ChildProcess& child, int options) {
  if (child.pidFd < 0) {
    int status = 0;
    const pid_t result = WaitFor(child.pid, &status, options);
    if (result == 0) return std::nullopt;
    return result == child.pid ? ExitCodeFromStatus(status) : 0;
  }
  siginfo_t info{};
  int result = 0;
  do {
    result = waitid(P_PIDFD, static_cast<id_t>(child.pidFd), &info, WEXITED | options);
  } while (result < 0 && errno == EINTR);
  if (result < 0) return 0;
  if (info.si_pid == 0) return std::nullopt;
  if (info.si_code == CLD_EXITED) return static_cast<DWORD>(info.si_status);
  return static_cast<DWORD>(128 + info.si_status);
}

// Caller holds processMutex. Takes the child's exit if it has ended (or waits for it).
void Poll(ChildProcess& child, bool block) {
  if (child.reaped) return;
  if (const std::optional<DWORD> exitCode = Reap(child, block ? 0 : WNOHANG)) {
    child.reaped = true;
    child.exitCode = *exitCode;
  }
}

// Blocks until the child has ended (or is no longer ours), leaving it for the caller to reap.
void WaitForEnd(pid_t pid, int pidFd) {
  siginfo_t info{};
  const idtype_t kind = pidFd >= 0 ? P_PIDFD : P_PID;
  const auto id = static_cast<id_t>(pidFd >= 0 ? pidFd : pid);
  while (waitid(kind, id, &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
  }
}

// Starts the child's waiter. False when no thread could be made.
bool WatchChild(const std::shared_ptr<ChildProcess>& child) {
  try {
    std::thread([child] {
      WaitForEnd(child->pid, child->pidFd);
      // Notified under the lock: after it the thread touches nothing shared, so it cannot race
      // the table's end when the process exits.
      const std::scoped_lock lock(processMutex);
      Poll(*child, false);
      processEnded.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void SendKill(const ChildProcess& child) {
#ifdef SYS_pidfd_send_signal
  if (child.pidFd >= 0) {
    syscall(SYS_pidfd_send_signal, child.pidFd, SIGKILL, nullptr, 0U);
    return;
  }
#endif
  kill(child.pid, SIGKILL);
}

// Caller holds processMutex.
ChildProcess* FindProcess(HANDLE handle) {
  const auto found = processes.find(HandleValue(handle));
  return found == processes.end() ? nullptr : found->second.get();
}

// A Win32 environment block ("A=1\0B=2\0\0") as exec's list.
std::vector<std::string> EnvironmentStrings(const char* block) {
  std::vector<std::string> strings;
  while (*block != '\0') {
    strings.emplace_back(block);
    block += strings.back().size() + 1;
  }
  return strings;
}

// Everything the child does between fork and exec is async-signal-safe: it runs in a copy of
// a possibly multi-threaded parent.
[[noreturn]] void RunChild(pid_t parent, int statusPipe, const char* program, char* const* argv,
                           char* const* envp, const char* directory, long openMax) {
  // The child must not outlive the parent: ask for SIGKILL when it dies, and catch the parent
  // having died already before the request was made.
  if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) _exit(127);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;
  for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber) {
    if (signalNumber != SIGKILL && signalNumber != SIGSTOP) {
      sigaction(signalNumber, &defaultAction, nullptr);
    }
  }
  // No handle is inherited: every descriptor beyond the standard three closes on exec.
#ifdef SYS_close_range
  if (syscall(SYS_close_range, 3U, ~0U, 4U /* CLOSE_RANGE_CLOEXEC */) != 0)
#endif
  {
    for (int fd = 3; fd < openMax; ++fd) fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  int error = 0;
  if (directory != nullptr && chdir(directory) != 0) {
    error = errno;
  } else {
    execve(program, argv, envp);
    error = errno;
  }
  while (write(statusPipe, &error, sizeof error) < 0 && errno == EINTR) {
  }
  _exit(127);
}

}  // namespace
}  // namespace platform

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                           LPSECURITY_ATTRIBUTES /*processAttributes*/,
                           LPSECURITY_ATTRIBUTES /*threadAttributes*/, BOOL /*inheritHandles*/,
                           DWORD /*creationFlags*/, LPVOID environment, LPCSTR currentDirectory,
                           LPSTARTUPINFOA /*startupInfo*/,
                           LPPROCESS_INFORMATION processInformation) {
  using namespace platform;
  if (applicationName == nullptr || *applicationName == '\0' || commandLine != nullptr ||
      processInformation == nullptr) {
    SetLastErrorCode(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // Prepared before fork: the child may not allocate.
  std::string program(applicationName);
  std::vector<char*> argv{program.data(), nullptr};
  std::vector<std::string> environmentStrings;
  std::vector<char*> envp;
  char* const* childEnvironment = environ;
  if (environment != nullptr) {
    environmentStrings = EnvironmentStrings(static_cast<const char*>(environment));
    for (std::string& entry : environmentStrings) envp.push_back(entry.data());
    envp.push_back(nullptr);
    childEnvironment = envp.data();
  }
  const long openMax = std::min(sysconf(_SC_OPEN_MAX), 65536L);

  int statusPipe[2];
  if (pipe2(statusPipe, O_CLOEXEC) != 0) {
    SetLastErrorCode(ErrorFromErrno(errno));
    return FALSE;
  }
  const std::scoped_lock lock(processMutex);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    RunChild(parent, statusPipe[1], program.c_str(), argv.data(), childEnvironment,
             currentDirectory, openMax);
  }
  const int forkError = errno;
  close(statusPipe[1]);
  if (pid < 0) {
    close(statusPipe[0]);
    SetLastErrorCode(ErrorFromErrno(forkError));
    return FALSE;
  }
  // The pipe closes on a successful exec; otherwise the child sends the reason first.
  int childError = 0;
  ssize_t got = 0;
  do {
    got = read(statusPipe[0], &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  close(statusPipe[0]);
  if (got > 0) {
    int status = 0;
    WaitFor(pid, &status, 0);
    SetLastErrorCode(childError == ENOEXEC ? ERROR_ACCESS_DENIED : ErrorFromErrno(childError));
    return FALSE;
  }

  auto child = std::make_shared<ChildProcess>(pid);
  if (!WatchChild(child)) {
    // Without its waiter the child would linger as a zombie: start none.
    kill(pid, SIGKILL);
    int status = 0;
    WaitFor(pid, &status, 0);
    SetLastErrorCode(ERROR_OUTOFMEMORY);
    return FALSE;
  }
  const std::uintptr_t index = nextIndex++ & kHandleIndexMask;
  const std::uintptr_t processValue = kProcessHandleBase | index;
  const std::uintptr_t threadValue = kProcessHandleBase | kThreadHandleFlag | index;
  processes[processValue] = std::move(child);
  threads[threadValue] = pid;
  processInformation->hProcess = MakeHandle<HANDLE>(processValue);
  processInformation->hThread = MakeHandle<HANDLE>(threadValue);
  processInformation->dwProcessId = static_cast<DWORD>(pid);
  processInformation->dwThreadId = static_cast<DWORD>(pid);
  SetLastErrorCode(ERROR_SUCCESS);
  return TRUE;
}

BOOL WINAPI TerminateProcess(HANDLE process, UINT exitCode) {
  using namespace platform;
  const std::scoped_lock lock(processMutex);
  ChildProcess* child = FindProcess(process);
  if (child == nullptr) {
    SetLastErrorCode(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Poll(*child, false);
  if (child->reaped) {
    SetLastErrorCode(ERROR_ACCESS_DENIED);  // Win32's answer for a process already ended
    return FALSE;
  }
  // Un-reaped, the pid is still this child's; the pidfd also covers a reap by other code.
  SendKill(*child);
  Poll(*child, true);
  child->exitCode = exitCode;
  processEnded.notify_all();
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
  using namespace platform;
  const std::scoped_lock lock(processMutex);
  const std::uintptr_t value = HandleValue(object);
  if (threads.erase(value) != 0) return TRUE;
  // A child still running is reaped by its waiter when it ends.
  if (processes.erase(value) != 0) return TRUE;
  SetLastErrorCode(ERROR_INVALID_HANDLE);
  return FALSE;
}

DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  using namespace platform;
  std::unique_lock lock(processMutex);
  const auto found = processes.find(HandleValue(object));
  if (found == processes.end()) {
    SetLastErrorCode(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  // The record outlives a CloseHandle from another thread during the wait.
  const std::shared_ptr<ChildProcess> child = found->second;
  const auto ended = [&child] { return child->reaped; };
  if (milliseconds == INFINITE) {
    processEnded.wait(lock, ended);
  } else if (!processEnded.wait_for(lock, std::chrono::milliseconds(milliseconds), ended)) {
    return WAIT_TIMEOUT;
  }
  return WAIT_OBJECT_0;
}

BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  using namespace platform;
  const std::scoped_lock lock(processMutex);
  ChildProcess* child = FindProcess(process);
  if (child == nullptr || exitCode == nullptr) {
    SetLastErrorCode(child == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Poll(*child, false);
  *exitCode = child->exitCode;
  return TRUE;
}
