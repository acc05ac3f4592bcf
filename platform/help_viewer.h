// Opening a page in the desktop's viewer, for WinHelp.
#pragma once

#include <string>

namespace platform {

// Starts xdg-open on `path` (found on $PATH) in a session of its own and waits at most a second,
// for xdg-open to report that nothing could show the page; a viewer still running then is reaped
// whenever it ends. False, with a sentence for the user in `problem`, when the page is no regular
// file, no xdg-open is on $PATH, it cannot be started, or it failed.
bool OpenInViewer(const std::string& path, std::string* problem);

}  // namespace platform
