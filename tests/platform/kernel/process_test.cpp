// Child processes: started without a shell, reaped, and never left behind.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

// A pid is gone, zombie included, once /proc no longer lists it. Waits up to five seconds.
bool ProcessGone(pid_t pid) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    if (!std::filesystem::exists("/proc/" + std::to_string(pid))) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

class ProcessTest : public testing::Test {
 protected:
  void SetUp() override { unsetenv("TAVRIN_CHILD_MODE"); }
  void TearDown() override { unsetenv("TAVRIN_CHILD_MODE"); }

  BOOL Start(const char* program, PROCESS_INFORMATION* process, void* environment = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(program, nullptr, nullptr, nullptr, FALSE,
                          DETACHED_PROCESS | NORMAL_PRIORITY_CLASS, environment, nullptr, &startup,
                          process);
  }
};

TEST_F(ProcessTest, TerminateKillsAndReaps) {
  setenv("TAVRIN_CHILD_MODE", "sleep", 1);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(Start(TEST_CHILD_PATH, &process));
  const auto pid = static_cast<pid_t>(process.dwProcessId);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));

  EXPECT_TRUE(TerminateProcess(process.hProcess, 0));
  EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pid)));  // no zombie
  EXPECT_EQ(WaitForSingleObject(process.hProcess, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, 0U);
  EXPECT_FALSE(TerminateProcess(process.hProcess, 0));  // already ended
  EXPECT_TRUE(CloseHandle(process.hThread));
  EXPECT_TRUE(CloseHandle(process.hProcess));
  EXPECT_FALSE(CloseHandle(process.hProcess));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ProcessTest, ExitCodeAndArgumentsReachTheParent) {
  setenv("TAVRIN_CHILD_MODE", "exit3", 1);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(Start(TEST_CHILD_PATH, &process));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, 3U);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  // argv is the program's path alone: no shell, no command line.
  setenv("TAVRIN_CHILD_MODE", "argv", 1);
  setenv("TAVRIN_CHILD_EXPECT", TEST_CHILD_PATH, 1);
  ASSERT_TRUE(Start(TEST_CHILD_PATH, &process));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, 0U);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

TEST_F(ProcessTest, EnvironmentBlockAndDescriptorsFollowWin32) {
  char environment[] = "TAVRIN_CHILD_MODE=env\0TAVRIN_CHILD_CHECK=yes\0";
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(Start(TEST_CHILD_PATH, &process, environment));
  DWORD code = 99;
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, 0U);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  // Handles are not inherited: a descriptor open in the parent is closed in the child.
  const int fd = open("/dev/null", O_RDONLY);  // deliberately without O_CLOEXEC
  ASSERT_GE(fd, 0);
  setenv("TAVRIN_CHILD_MODE", "nofd", 1);
  setenv("TAVRIN_CHILD_FD", std::to_string(fd).c_str(), 1);
  ASSERT_TRUE(Start(TEST_CHILD_PATH, &process));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, 0U);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  close(fd);
}

TEST_F(ProcessTest, FailuresAreReportedAndLeaveNothingBehind) {
  PROCESS_INFORMATION process{};
  EXPECT_FALSE(Start("/nonexistent/tavrinra", &process));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  const std::string notProgram =
      std::filesystem::temp_directory_path() / ("tavrin-not-a-program-" + std::to_string(getpid()));
  std::ofstream(notProgram) << "plain text";
  EXPECT_FALSE(Start(notProgram.c_str(), &process));
  std::filesystem::remove(notProgram);

  char commandLine[] = "tavrinra /x";
  STARTUPINFOA startup{};
  EXPECT_FALSE(CreateProcessA(TEST_CHILD_PATH, commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // A failed exec was reaped: no child of ours is left, zombie or not.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(ProcessTest, AnEndedChildIsReapedAtOnceAndItsHandleStillAnswers) {
  // A child of this process that the platform did not start: it is not the platform's to reap.
  const pid_t foreign = fork();
  ASSERT_GE(foreign, 0);
  if (foreign == 0) _exit(7);

  setenv("TAVRIN_CHILD_MODE", "exit3", 1);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(Start(TEST_CHILD_PATH, &process));
  const auto pid = static_cast<pid_t>(process.dwProcessId);
  // Gone from /proc, zombie included, with no process call from us while it ended.
  EXPECT_TRUE(ProcessGone(pid));

  // The handle answers as a Win32 process object does after its process ended.
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, 3U);
  EXPECT_FALSE(TerminateProcess(process.hProcess, 9));  // nothing to end, nothing signalled
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, 3U);
  EXPECT_TRUE(CloseHandle(process.hThread));
  EXPECT_TRUE(CloseHandle(process.hProcess));

  int status = 0;
  ASSERT_EQ(waitpid(foreign, &status, 0), foreign);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
}

TEST_F(ProcessTest, ClosedHandleOfARunningChildLeavesNoZombie) {
  setenv("TAVRIN_CHILD_MODE", "sleep", 1);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(Start(TEST_CHILD_PATH, &process));
  const auto pid = static_cast<pid_t>(process.dwProcessId);
  EXPECT_TRUE(CloseHandle(process.hThread));
  EXPECT_TRUE(CloseHandle(process.hProcess));
  ASSERT_TRUE(std::filesystem::exists("/proc/" + std::to_string(pid)));
  // The child ends on its own later, with no further process call from us.
  kill(pid, SIGTERM);
  EXPECT_TRUE(ProcessGone(pid));
}

TEST_F(ProcessTest, ChildDiesWhenItsParentIsKilled) {
  // Orphans come back to us instead of to init, so we can see how the child ended.
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  int output[2];
  ASSERT_EQ(pipe(output), 0);
  const pid_t spawner = fork();
  ASSERT_GE(spawner, 0);
  if (spawner == 0) {
    dup2(output[1], STDOUT_FILENO);
    close(output[0]);
    close(output[1]);
    setenv("TAVRIN_CHILD_MODE", "sleep", 1);
    execl(TEST_SPAWNER_PATH, TEST_SPAWNER_PATH, TEST_CHILD_PATH, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(output[1]);
  std::string line;
  char c = 0;
  while (read(output[0], &c, 1) == 1 && c != '\n') line += c;
  close(output[0]);
  ASSERT_FALSE(line.empty());
  const auto child = static_cast<pid_t>(std::stol(line));

  kill(spawner, SIGKILL);
  ASSERT_EQ(waitpid(spawner, nullptr, 0), spawner);
  int status = 0;
  pid_t reaped = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while ((reaped = waitpid(child, &status, WNOHANG)) == 0 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  prctl(PR_SET_CHILD_SUBREAPER, 0);
  if (reaped == 0) kill(child, SIGKILL);
  ASSERT_EQ(reaped, child);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
}

}  // namespace
