// The process's one QApplication, for whatever shows Qt widgets.
#pragma once

namespace platform::qt {

// Makes the QApplication on first use, on the calling thread, which is Qt's GUI thread from
// then on, and puts the X11 backend's error handler back after Qt has connected. False when Qt
// has no display to open ($DISPLAY unreachable and no other Qt platform chosen with
// QT_QPA_PLATFORM), or when called from another thread than the first: callers then do
// without Qt.
bool EnsureApplication();

}  // namespace platform::qt
