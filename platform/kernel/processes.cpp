// Child processes: fork + exec, no shell; tied to the parent's life by a parent-death signal.
//
// Reaping: a process handle keeps its child un-reaped until the child's exit has been taken
// (TerminateProcess, WaitForSingleObject, GetExitCodeProcess), so the pid cannot be reused
// while a handle names it. CloseHandle of a child still running moves its pid to a list of
// orphans; every later process call reaps the list with WNOHANG, and a small watcher thread
// per orphan waits (without reaping, WNOWAIT) for the child's end and then reaps it under the
// table lock, so no zombie is left even when no process call follows.
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
#include <cstring>
#include <map>
#include <mutex>
#include <string>
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

struct ChildProcess {
  pid_t pid = 0;
  bool reaped = false;
  DWORD exitCode = STILL_ACTIVE;
};

std::mutex processMutex;
std::map<std::uintptr_t, ChildProcess> processes;  // by process handle value
std::map<std::uintptr_t, pid_t> threads;           // dummy thread handles
std::vector<pid_t> orphans;  // children whose handle was closed while they ran
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

// Caller holds processMutex.
void ReapOrphans() {
  std::erase_if(orphans, [](pid_t pid) {
    int status = 0;
    const pid_t result = WaitFor(pid, &status, WNOHANG);
    return result == pid || (result < 0 && errno == ECHILD);
  });
}

void WatchOrphan(pid_t pid) {
  std::thread([pid] {
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    const std::scoped_lock lock(processMutex);
    ReapOrphans();
  }).detach();
}

// Caller holds processMutex. Takes the child's exit if it has ended (or waits for it).
void Poll(ChildProcess& child, bool block) {
  if (child.reaped) return;
  int status = 0;
  const pid_t result = WaitFor(child.pid, &status, block ? 0 : WNOHANG);
  if (result == child.pid) {
    child.reaped = true;
    child.exitCode = ExitCodeFromStatus(status);
  } else if (result < 0) {
    child.reaped = true;  // not our child any more (someone else reaped it)
    child.exitCode = 0;
  }
}

// Caller holds processMutex.
ChildProcess* FindProcess(HANDLE handle) {
  const auto found = processes.find(HandleValue(handle));
  return found == processes.end() ? nullptr : &found->second;
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
  ReapOrphans();
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

  const std::uintptr_t index = nextIndex++ & kHandleIndexMask;
  const std::uintptr_t processValue = kProcessHandleBase | index;
  const std::uintptr_t threadValue = kProcessHandleBase | kThreadHandleFlag | index;
  processes[processValue] = ChildProcess{pid, false, STILL_ACTIVE};
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
  ReapOrphans();
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
  // The pid is still ours (un-reaped), so the signal cannot reach a stranger.
  kill(child->pid, SIGKILL);
  Poll(*child, true);
  child->exitCode = exitCode;
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
  using namespace platform;
  const std::scoped_lock lock(processMutex);
  ReapOrphans();
  const std::uintptr_t value = HandleValue(object);
  if (threads.erase(value) != 0) return TRUE;
  const auto found = processes.find(value);
  if (found == processes.end()) {
    SetLastErrorCode(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Poll(found->second, false);
  if (!found->second.reaped) {
    orphans.push_back(found->second.pid);
    WatchOrphan(found->second.pid);
  }
  processes.erase(found);
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  using namespace platform;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (true) {
    {
      const std::scoped_lock lock(processMutex);
      ReapOrphans();
      ChildProcess* child = FindProcess(object);
      if (child == nullptr) {
        SetLastErrorCode(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
      }
      Poll(*child, false);
      if (child->reaped) return WAIT_OBJECT_0;
      if (milliseconds != INFINITE && std::chrono::steady_clock::now() >= deadline) {
        return WAIT_TIMEOUT;
      }
    }
    // Polled rather than blocked in waitpid, so other threads can use the table meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  using namespace platform;
  const std::scoped_lock lock(processMutex);
  ReapOrphans();
  ChildProcess* child = FindProcess(process);
  if (child == nullptr || exitCode == nullptr) {
    SetLastErrorCode(child == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Poll(*child, false);
  *exitCode = child->exitCode;
  return TRUE;
}
