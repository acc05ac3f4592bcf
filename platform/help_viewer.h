// Opening a page in the desktop's viewer, for WinHelp.
#pragma once

#include <string>

namespace platform {

// Starts xdg-open on `path` (found on $PATH) and returns without waiting for it: the viewer is
// left to init, never a zombie of ours. False, with a sentence for the user in `problem`, when
// the page is no regular file, no xdg-open is on $PATH, or it cannot be started.
bool OpenInViewer(const std::string& path, std::string* problem);

}  // namespace platform
