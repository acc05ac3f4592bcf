#include "platform/qt/qt_event_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <memory>

namespace platform::qt {
namespace {

std::unique_ptr<QSocketNotifier> QuitWhenReadable(int fd, QEventLoop* loop) {
  if (fd < 0) return nullptr;
  auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(notifier.get(), &QSocketNotifier::activated, loop, &QEventLoop::quit);
  return notifier;
}

}  // namespace

bool QtEventWait::RunPending() {
  stopped_ = false;
  QCoreApplication::processEvents();
  return stopped_;
}

void QtEventWait::Wait(int wakeFd, int connectionFd, DWORD timeoutMs) {
  // A stop asked for before the loop runs would be lost to it (exec starts afresh).
  if (RunPending()) return;
  QEventLoop loop;
  const auto wake = QuitWhenReadable(wakeFd, &loop);
  const auto connection = QuitWhenReadable(connectionFd, &loop);
  QTimer deadline;
  deadline.setSingleShot(true);
  // A coarse timer may fire a little early, and the caller would only come back to wait again.
  deadline.setTimerType(Qt::PreciseTimer);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  if (timeoutMs != INFINITE) {
    deadline.start(static_cast<int>(std::min<DWORD>(timeoutMs, INT_MAX)));
  }
  QEventLoop* const outer = loop_;
  loop_ = &loop;
  loop.exec();
  loop_ = outer;
}

void QtEventWait::Stop() {
  stopped_ = true;
  if (loop_ != nullptr) loop_->quit();
}

}  // namespace platform::qt
