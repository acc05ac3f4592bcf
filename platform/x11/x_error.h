// The process's Xlib error handler, and a way to learn whether particular requests failed.
//
// Xlib's default handler ends the process on any error, and a foreign window (a preview
// parent, another saver's window) can vanish between two of our requests. Our handler drops
// errors, unless an ErrorTrap is waiting for them; with TAVRIN_X11_DEBUG=1 it also prints them.
#pragma once

#include <X11/Xlib.h>

namespace platform::x11 {

// Makes our handler the process's Xlib error handler (again: another toolkit may have
// replaced it when it opened its own connection).
void InstallErrorHandler();
// True once InstallErrorHandler has been called in this process.
bool ErrorHandlerInstalled();

// Records the errors of the requests made on `display` while it lives. Traps nest.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display);
  ~ErrorTrap();
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

  // Waits until the server has answered every request so far (one round trip); true when
  // one of those made since the trap was set failed.
  bool Failed();
  // The first error seen (0 when none), without waiting.
  int FirstError() const { return firstError_; }

 private:
  friend int HandleError(Display* display, XErrorEvent* error);
  Display* display_;
  unsigned long firstSerial_;
  int firstError_ = 0;
  ErrorTrap* outer_;
};

}  // namespace platform::x11
