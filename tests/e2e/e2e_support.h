// What the end-to-end tests share: the X connection, waiting for a condition or a child, and
// starting one of our programs as a child.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// Polls `condition` every few milliseconds until it holds or `limit` has passed.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

// The child's exit code (128 + signal when a signal ended it), or nothing when it has not
// ended within `limit`.
std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds limit);

// The child's raw wait status (for WIFSIGNALED and the like), or nothing when it has not ended
// within `limit`.
std::optional<int> WaitForStatus(pid_t pid, std::chrono::milliseconds limit);

// Every value of the registry store whose folder is `registry`, by "key/name", bytes exactly.
std::map<std::string, std::string> StoreContents(const std::string& registry);

// Starts `program` with `arguments` (no shell), its standard output and error kept.
pid_t StartProgram(const std::string& program, const std::vector<std::string>& arguments);

// Whether any pixel of the window's rectangle is not black.
bool AnythingDrawn(Display* display, Window window, int x, int y, int width, int height);

// The first top-level window (a child of the root) whose WM_NAME is `title`, or 0.
Window FindWindowByTitle(Display* display, const std::string& title);

}  // namespace e2e
