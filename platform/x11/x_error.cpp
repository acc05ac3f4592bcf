#include "platform/x11/x_error.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::x11 {
namespace {
// Only the thread that owns our connection makes requests on it, so the innermost trap is
// enough state; traps made on other displays are told apart by their display.
thread_local ErrorTrap* innermostTrap = nullptr;
bool installed = false;

bool DebugWanted() {
  const char* value = std::getenv("TAVRIN_X11_DEBUG");
  return value != nullptr && std::strcmp(value, "1") == 0;
}
}  // namespace

int HandleError(Display* display, XErrorEvent* error) {
  bool trapped = false;
  for (ErrorTrap* trap = innermostTrap; trap != nullptr; trap = trap->outer_) {
    if (trap->display_ == display && error->serial >= trap->firstSerial_) {
      if (trap->firstError_ == 0) trap->firstError_ = error->error_code;
      trapped = true;
    }
  }
  static const bool debug = DebugWanted();
  if (debug) {
    std::array<char, 160> text{};
    XGetErrorText(display, error->error_code, text.data(), static_cast<int>(text.size()));
    std::fprintf(stderr, "tavrin: X error %s (request %d.%d, resource 0x%lx)%s\n", text.data(),
                 error->request_code, error->minor_code, error->resourceid,
                 trapped ? ", expected" : "");
  }
  return 0;
}

void InstallErrorHandler() {
  XSetErrorHandler(HandleError);
  installed = true;
}

bool ErrorHandlerInstalled() {
  return installed;
}

ErrorTrap::ErrorTrap(Display* display)
    : display_(display), firstSerial_(NextRequest(display)), outer_(innermostTrap) {
  innermostTrap = this;
}

ErrorTrap::~ErrorTrap() {
  innermostTrap = outer_;
}

bool ErrorTrap::Failed() {
  XSync(display_, False);
  return firstError_ != 0;
}

}  // namespace platform::x11
