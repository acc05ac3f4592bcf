#include "tests/support/run_program.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>

namespace test_support {

ProgramResult RunProgram(std::vector<std::string> argv, const std::string* input) {
  std::vector<char*> pointers;
  pointers.reserve(argv.size() + 1);
  for (std::string& argument : argv) pointers.push_back(argument.data());
  pointers.push_back(nullptr);

  ProgramResult result;
  int output[2];
  if (argv.empty() || pipe(output) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", 0, 0);
  posix_spawn_file_actions_addclose(&actions, output[0]);
  int feed[2] = {-1, -1};
  if (input != nullptr && pipe(feed) == 0) {
    posix_spawn_file_actions_adddup2(&actions, feed[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, feed[1]);
  }
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, pointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  if (feed[0] >= 0) {
    // A program that stops reading early must not take the test down with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
    close(feed[0]);
    for (std::size_t sent = 0; spawned == 0 && sent < input->size();) {
      const ssize_t wrote = write(feed[1], input->data() + sent, input->size() - sent);
      if (wrote <= 0) break;
      sent += static_cast<std::size_t>(wrote);
    }
    close(feed[1]);
  }
  char buffer[4096];
  ssize_t got = 0;
  while ((got = read(output[0], buffer, sizeof buffer)) > 0) {
    result.output.append(buffer, static_cast<std::size_t>(got));
  }
  close(output[0]);
  int status = 0;
  if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    result.exitCode = WEXITSTATUS(status);
  }
  return result;
}

}  // namespace test_support
