// Waiting for Qt's events and the window system's descriptors at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <QTimer>

#include <array>
#include <chrono>
#include <functional>
#include <utility>
#include <vector>

#include "platform/qt/qt_application.h"
#include "platform/qt/qt_event_wait.h"

namespace {

using Clock = std::chrono::steady_clock;

class Pipe {
 public:
  Pipe() { EXPECT_EQ(pipe2(ends_.data(), O_CLOEXEC | O_NONBLOCK), 0); }
  ~Pipe() {
    close(ends_[0]);
    close(ends_[1]);
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  int ReadEnd() const { return ends_[0]; }
  void Signal() const { ASSERT_EQ(write(ends_[1], "x", 1), 1); }

 private:
  std::array<int, 2> ends_{-1, -1};
};

// Runs `act` once, `delayMs` after it is made, from inside whatever runs Qt's events then.
class Later {
 public:
  Later(int delayMs, std::function<void()> act) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, std::move(act));
    timer_.start(delayMs);
  }

 private:
  QTimer timer_;
};

class QtEventWaitTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(platform::qt::EnsureApplication()); }
};

// Each case arranges what ends the wait, from a Qt timer that fires inside it; a wait that
// ended for the wrong reason would run into the 10-second time-out.
TEST_F(QtEventWaitTest, EndsOnEitherDescriptorATimeOutOrAStopFromAQtEvent) {
  struct Case {
    const char* what;
    std::function<void(const Pipe& wake, const Pipe& connection, platform::qt::QtEventWait&)> act;
    DWORD timeoutMs;
  };
  const std::vector<Case> cases = {
      {"wake-up descriptor", [](const Pipe& wake, const Pipe&, auto&) { wake.Signal(); }, 10000},
      {"connection", [](const Pipe&, const Pipe& connection, auto&) { connection.Signal(); },
       10000},
      {"stop from a handler", [](const Pipe&, const Pipe&, auto& wait) { wait.Stop(); }, 10000},
      {"time-out", [](const Pipe&, const Pipe&, auto&) {}, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Pipe wake;
    const Pipe connection;
    platform::qt::QtEventWait wait;
    const Later act(20, [&] { c.act(wake, connection, wait); });
    const auto start = Clock::now();
    wait.Wait(wake.ReadEnd(), connection.ReadEnd(), c.timeoutMs);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  }
}

TEST_F(QtEventWaitTest, AStopBeforeTheWaitIsNotLost) {
  platform::qt::QtEventWait wait;
  bool ran = false;
  // Already due when the wait starts: handled before it would block.
  const Later stop(0, [&] {
    ran = true;
    wait.Stop();
  });
  const auto start = Clock::now();
  wait.Wait(-1, -1, INFINITE);
  EXPECT_TRUE(ran);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
