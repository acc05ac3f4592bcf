#include "platform/qt/qt_application.h"

#include <QApplication>
#include <QByteArray>
#include <QThread>

#include <cerrno>
#include <string>

#include "platform/x11/toolkit_hooks.h"

namespace platform::qt {
namespace {

// QApplication aborts the process when it cannot reach its display, so look first.
bool DisplayAvailable() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (!platform.isEmpty() && !platform.startsWith("xcb")) return true;
  return platform::x11::DisplayReachable();
}

}  // namespace

bool EnsureApplication() {
  if (const QCoreApplication* existing = QCoreApplication::instance(); existing != nullptr) {
    return QThread::currentThread() == existing->thread();
  }
  if (!DisplayAvailable()) return false;
  // Qt keeps argc and argv for the application's whole life.
  static std::string programName = program_invocation_short_name;
  static int argc = 1;
  static char* argv[] = {programName.data(), nullptr};
  // Made here, so that it is destroyed at exit before the globals Qt makes while it is built.
  static QApplication application(argc, argv);
  platform::x11::RestoreErrorHandler();
  return true;
}

}  // namespace platform::qt
