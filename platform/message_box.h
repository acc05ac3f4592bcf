// Who answers MessageBox. The programs install the Qt box; the headless backend records.
#pragma once

#include <functional>
#include <string>

#include "platform/win32.h"

namespace platform {

using MessageBoxHandler =
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>;

// Replaces the handler. Without one, MessageBox writes "caption: text" to standard error and
// answers IDOK (the first button).
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace platform
