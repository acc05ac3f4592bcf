// FindWindow finds the window of another Tavrin process on the same display.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>

#include "platform/handles.h"
#include "x11_test_support.h"

extern char** environ;

namespace x11_test {
namespace {

// The helper program, started with a pipe on its standard input and output.
class WindowOwner {
 public:
  explicit WindowOwner(const char* path) {
    std::array<int, 2> toChild{};
    std::array<int, 2> fromChild{};
    if (pipe(toChild.data()) != 0 || pipe(fromChild.data()) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    posix_spawn_file_actions_addclose(&actions, toChild[1]);
    posix_spawn_file_actions_addclose(&actions, fromChild[0]);
    std::array<char*, 2> argv{const_cast<char*>(path), nullptr};
    if (posix_spawn(&pid_, path, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    input_ = toChild[1];
    output_ = fdopen(fromChild[0], "r");
  }
  ~WindowOwner() {
    Stop();
    if (output_ != nullptr) std::fclose(output_);
  }
  WindowOwner(const WindowOwner&) = delete;
  WindowOwner& operator=(const WindowOwner&) = delete;

  pid_t Pid() const { return pid_; }
  std::string ReadLine() {
    std::array<char, 64> line{};
    if (output_ == nullptr || std::fgets(line.data(), line.size(), output_) == nullptr) return {};
    return line.data();
  }
  // Closes its input and waits for it: its windows are gone from the server then.
  int Stop() {
    if (input_ >= 0) close(input_);
    input_ = -1;
    int status = -1;
    if (pid_ > 0) waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  FILE* output_ = nullptr;
};

using FindWindowTest = X11Test;

TEST_F(FindWindowTest, FindsTheSaverWindowOfAnotherProcess) {
  EXPECT_EQ(FindWindowA("WindowsScreenSaverClass", "Screen Saver"), nullptr);

  WindowOwner owner(TAVRIN_WINDOW_OWNER_PATH);
  ASSERT_GT(owner.Pid(), 0);
  ASSERT_EQ(owner.ReadLine(), "ready\n");

  const HWND found = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
  ASSERT_NE(found, nullptr);
  const auto native = static_cast<XId>(platform::HandleValue(found));
  EXPECT_EQ(probe_->CardinalProperty(native, "_NET_WM_PID"),
            static_cast<unsigned long>(owner.Pid()));
  EXPECT_TRUE(IsWindow(found));
  RECT client{};
  ASSERT_TRUE(GetClientRect(found, &client));
  EXPECT_EQ(client.right, 160);
  EXPECT_EQ(client.bottom, 120);
  // Class names compare as Win32 compares them; titles exactly; null matches any.
  EXPECT_EQ(FindWindowA("windowsscreensaverclass", "Screen Saver"), found);
  EXPECT_EQ(FindWindowA("WindowsScreenSaverClass", nullptr), found);
  EXPECT_EQ(FindWindowA("WindowsScreenSaverClass", "screen saver"), nullptr);
  // Bringing it to the front is allowed on a window of another process.
  EXPECT_TRUE(SetForegroundWindow(found));

  EXPECT_EQ(owner.Stop(), 0);
  EXPECT_FALSE(IsWindow(found));
  EXPECT_EQ(FindWindowA("WindowsScreenSaverClass", "Screen Saver"), nullptr);
}

TEST_F(FindWindowTest, OwnWindowIsFoundAsOurs) {
  const HWND saver = CreateWindowExA(0, kTestClass, "Mine", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                     nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(saver, nullptr);
  EXPECT_EQ(FindWindowA(kTestClass, "Mine"), saver);
}

}  // namespace
}  // namespace x11_test
