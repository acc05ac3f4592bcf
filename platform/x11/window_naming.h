// The names every X window of ours carries, so that another Tavrin process (and xprop,
// xdotool) can find it: its Win32 class and title in _TAVRIN_CLASS / _TAVRIN_TITLE, and the
// same as WM_CLASS / WM_NAME, plus _NET_WM_PID.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <string>

namespace platform::x11 {

void NameWindow(Display* display, Window window, const std::string& className,
                const std::string& title);

// The first window below `root` (top-levels, and their descendants to a depth that covers a
// window manager's frames and a preview's parent) named with that class (compared ignoring
// ASCII case, as Win32 compares class names) and title (exactly); null text matches anything.
// Windows for which `skip` answers true are passed over. 0 when none.
Window FindNamedWindow(Display* display, Window root, const char* className, const char* title,
                       const std::function<bool(Window)>& skip);

}  // namespace platform::x11
