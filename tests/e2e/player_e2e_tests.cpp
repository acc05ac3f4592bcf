// tavrin /s with sound clips on a real X server: it starts tavrinra beside it, the player plays,
// and however the show ends no player is left behind.
// GoogleTest comes before Xlib, whose macros (None, Bool) break its headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/player/player_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;
using player_test::Set;

// Guards against a hang, never measures: every step here takes well under a second.
constexpr auto kPatience = std::chrono::seconds(15);

bool WaitUntil(const std::function<bool()>& condition) {
  const auto end = Clock::now() + kPatience;
  while (Clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

// The /proc/<pid>/stat fields after the command name: state, parent.
bool ReadStat(pid_t pid, char* state, pid_t* parent) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(file, text)) return false;
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream rest(text.substr(close + 1));
  return static_cast<bool>(rest >> *state >> *parent);
}

std::string CommandName(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(file, name);
  return name;
}

// The children of `parent` in /proc, each with its state ('Z' for a zombie) and command name.
struct Child {
  pid_t pid;
  char state;
  std::string name;
};
std::vector<Child> ChildrenOf(pid_t parent) {
  std::vector<Child> children;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const pid_t pid = std::stoi(name);
    char state = 0;
    pid_t itsParent = 0;
    if (ReadStat(pid, &state, &itsParent) && itsParent == parent) {
      children.push_back(Child{pid, state, CommandName(pid)});
    }
  }
  return children;
}

// Living (not zombie) tavrinra processes whose parent is `parent`.
std::vector<pid_t> PlayersOf(pid_t parent) {
  std::vector<pid_t> players;
  for (const Child& child : ChildrenOf(parent)) {
    if (child.state != 'Z' && child.name == "tavrinra") players.push_back(child.pid);
  }
  return players;
}

// Children of `parent` that have ended but were not reaped.
std::vector<pid_t> ZombiesOf(pid_t parent) {
  std::vector<pid_t> zombies;
  for (const Child& child : ChildrenOf(parent)) {
    if (child.state == 'Z') zombies.push_back(child.pid);
  }
  return zombies;
}

// Holds the session's player lock, as the player of a saver on another screen does, and sees
// when someone else opens the lock file.
class OtherScreensPlayer {
 public:
  explicit OtherScreensPlayer(const std::string& runtimeFolder)
      : path_(runtimeFolder + "/tavrinra.lock") {
    lock_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    EXPECT_EQ(flock(lock_, LOCK_EX | LOCK_NB), 0);
    watch_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    EXPECT_GE(inotify_add_watch(watch_, path_.c_str(), IN_OPEN), 0);
  }
  OtherScreensPlayer(const OtherScreensPlayer&) = delete;
  OtherScreensPlayer& operator=(const OtherScreensPlayer&) = delete;
  ~OtherScreensPlayer() {
    close(watch_);
    close(lock_);
  }

  // Whether another process opened the lock file (a player trying it) within `limit`.
  bool SomeoneTriedTheLock(std::chrono::milliseconds limit) {
    pollfd ready{watch_, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(limit.count())) != 1) return false;
    alignas(inotify_event) char events[sizeof(inotify_event) + NAME_MAX + 1];
    return read(watch_, events, sizeof events) > 0;
  }

 private:
  std::string path_;
  int lock_ = -1;
  int watch_ = -1;
};

// Gone, or a zombie nobody has reaped yet: either way it plays nothing.
bool Gone(pid_t pid) {
  char state = 0;
  pid_t parent = 0;
  return !ReadStat(pid, &state, &parent) || state == 'Z' || CommandName(pid) != "tavrinra";
}

class PlayerEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    display_.reset(XOpenDisplay(nullptr));
    ASSERT_NE(display_, nullptr) << "no X display";
    // Two clips, PlaySongs on, and no picture: the show draws its logo.
    const std::string clips = TAVRIN_CLIPS_DIR;
    Set("The Gig", "Songs", "2");
    Set("The Gig", "S0", clips + "/chime.ra");
    Set("The Gig", "S1", clips + "/tune-rising-old.ra");
    Set("Settings", "PlaySongs", "1");
    Set("Settings", "EffectDelay", "1");
    sound_ = config_.Folder() + "/sound.raw";
  }
  void TearDown() override {
    for (const pid_t pid : running_) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    for (const pid_t pid : players_) kill(pid, SIGKILL);
  }

  Display* X() { return display_.get(); }

  pid_t StartShow() {
    const pid_t saver = fork();
    if (saver == 0) {
      setenv("SDL_AUDIODRIVER", "disk", 1);
      setenv("SDL_DISKAUDIOFILE", sound_.c_str(), 1);
      execl(TAVRIN_PROGRAM, "tavrin", "/s", static_cast<char*>(nullptr));
      _exit(127);
    }
    running_.push_back(saver);
    return saver;
  }

  // Starts `tavrin /s`, waits for its player and for the player's first samples.
  pid_t StartShowWithPlayer() {
    const pid_t saver = StartShow();
    EXPECT_TRUE(WaitUntil([&] { return PlayersOf(saver).size() == 1; }));
    players_ = PlayersOf(saver);
    EXPECT_TRUE(WaitUntil([&] {
      struct stat info {};
      return stat(sound_.c_str(), &info) == 0 && info.st_size > 0;
    })) << "the player wrote no sound";
    return saver;
  }

  std::optional<int> Finish(pid_t pid) {
    const auto end = Clock::now() + kPatience;
    while (Clock::now() < end) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        std::erase(running_, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::nullopt;
  }

  bool PlayersGone() {
    return WaitUntil([&] {
      for (const pid_t pid : players_) {
        if (!Gone(pid)) return false;
      }
      return true;
    });
  }

  void PressKey() {
    const KeyCode key = XKeysymToKeycode(X(), XK_space);
    XTestFakeKeyEvent(X(), key, True, 0);
    XTestFakeKeyEvent(X(), key, False, 0);
    XFlush(X());
  }

  TempConfigHome config_;
  player_test::TempRuntimeDir runtime_;
  e2e::DisplayPtr display_;
  std::string sound_;
  std::vector<pid_t> running_;
  std::vector<pid_t> players_;
};

TEST_F(PlayerEndToEnd, TheKeyPressThatEndsTheShowEndsThePlayer) {
  const pid_t saver = StartShowWithPlayer();
  ASSERT_EQ(players_.size(), 1U);
  // Input reaches the saver once its window is up; the logo tick comes after 50 ms.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  PressKey();
  EXPECT_EQ(Finish(saver), 0);
  EXPECT_TRUE(PlayersGone());
}

TEST_F(PlayerEndToEnd, SigtermToTheSaverEndsThePlayer) {
  const pid_t saver = StartShowWithPlayer();
  ASSERT_EQ(players_.size(), 1U);
  kill(saver, SIGTERM);
  EXPECT_EQ(Finish(saver), 128 + SIGTERM);
  EXPECT_TRUE(PlayersGone());
}

// On every screen after the first the song player ends at once, as one player plays per
// session: it must not stay a zombie of its saver for the rest of the show.
TEST_F(PlayerEndToEnd, APlayerThatEndsAtOnceLeavesNoZombieWhileTheShowRuns) {
  OtherScreensPlayer otherScreen(runtime_.Folder());
  const pid_t saver = StartShow();
  ASSERT_TRUE(otherScreen.SomeoneTriedTheLock(kPatience)) << "no player was started";
  EXPECT_TRUE(WaitUntil([&] { return PlayersOf(saver).empty() && ZombiesOf(saver).empty(); }))
      << ZombiesOf(saver).size() << " zombie child(ren) while the show runs";
  int status = 0;
  EXPECT_EQ(waitpid(saver, &status, WNOHANG), 0) << "the show ended with its player";
  kill(saver, SIGTERM);
  EXPECT_EQ(Finish(saver), 128 + SIGTERM);
}

TEST_F(PlayerEndToEnd, SigkillToTheSaverEndsThePlayer) {
  const pid_t saver = StartShowWithPlayer();
  ASSERT_EQ(players_.size(), 1U);
  kill(saver, SIGKILL);
  EXPECT_EQ(Finish(saver), 128 + SIGKILL);
  EXPECT_TRUE(PlayersGone());
}

}  // namespace
