// One player per session: the lock is exclusive between processes and dies with its holder.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "player/session_lock.h"
#include "tests/player/player_test_support.h"

namespace {

// A child process that takes the lock and reports through a pipe whether it got it, then waits
// to be killed.
pid_t StartHolder(bool* gotLock) {
  int channel[2];
  if (pipe(channel) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const char answer = TakeSessionPlayerLock() ? 'y' : 'n';
    (void)!write(channel[1], &answer, 1);
    for (;;) pause();
  }
  close(channel[1]);
  char answer = 0;
  *gotLock = read(channel[0], &answer, 1) == 1 && answer == 'y';
  close(channel[0]);
  return child;
}

TEST(SessionLock, ASecondPlayerIsRefusedUntilTheFirstDiesEvenByKill) {
  TempConfigHome config;
  player_test::TempRuntimeDir runtime;
  bool gotLock = false;
  const pid_t holder = StartHolder(&gotLock);
  ASSERT_GT(holder, 0);
  EXPECT_TRUE(gotLock);

  bool secondGot = true;
  const pid_t second = StartHolder(&secondGot);
  EXPECT_FALSE(secondGot);
  kill(second, SIGKILL);
  waitpid(second, nullptr, 0);

  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  bool thirdGot = false;
  const pid_t third = StartHolder(&thirdGot);
  EXPECT_TRUE(thirdGot);
  kill(third, SIGKILL);
  waitpid(third, nullptr, 0);
}

TEST(SessionLock, WithoutARuntimeFolderTheConfigFolderHoldsIt) {
  TempConfigHome config;
  player_test::TempRuntimeDir runtime;
  unsetenv("XDG_RUNTIME_DIR");
  bool gotLock = false;
  const pid_t holder = StartHolder(&gotLock);
  EXPECT_TRUE(gotLock);
  EXPECT_TRUE(std::filesystem::exists(config.Folder() + "/tavrin/tavrinra.lock"));
  bool secondGot = true;
  const pid_t second = StartHolder(&secondGot);
  EXPECT_FALSE(secondGot);
  for (const pid_t pid : {holder, second}) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
}

}  // namespace
