// The X11 backend: the programs' windows, input, drawing and clock on the display in $DISPLAY.
//
// A foreign window named on a command line (a preview parent, $XSCREENSAVER_WINDOW) needs no
// conversion: the HWND of a foreign window is its X window id (platform/handles.h), so
//   HWND parent = platform::MakeHandle<HWND>(std::strtoul(text, nullptr, 0));
// names it, for decimal and 0x... hexadecimal ids alike.
#pragma once

namespace platform::x11 {

// Opens $DISPLAY, installs the X11 backend in place of any earlier one, and makes Xlib's
// error handler one that never ends the process. False, with nothing installed, when there is
// no display to open (or its screen is not a 24-bit true-colour one, which the drawing needs).
bool Install();

}  // namespace platform::x11
