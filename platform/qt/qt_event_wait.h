// Waiting for Qt's events and the window system's sources at once.
#pragma once

#include "platform/win32.h"

class QEventLoop;

namespace platform::qt {

class QtEventWait {
 public:
  // Runs Qt's events until `wakeFd` or `connectionFd` (either may be -1) is readable,
  // `timeoutMs` passes (INFINITE: never), or an event handler calls Stop().
  void Wait(int wakeFd, int connectionFd, DWORD timeoutMs);
  // Runs the Qt events already there, without waiting. True when a handler called Stop().
  bool RunPending();
  // From an event handler: the caller has something to do; the wait ends after this event.
  void Stop();

 private:
  QEventLoop* loop_ = nullptr;  // the running wait's, not owned
  bool stopped_ = false;
};

}  // namespace platform::qt
