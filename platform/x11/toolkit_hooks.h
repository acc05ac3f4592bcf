// What another toolkit that opens its own X connection in this process (Qt) tells the X11
// backend. Free of Xlib types, so that a translation unit with Qt headers can include it.
#pragma once

namespace platform::x11 {

// True when the display in $DISPLAY accepts a connection now.
bool DisplayReachable();

// Puts our Xlib error handler back: Qt's xcb plugin replaces it when it connects. Does
// nothing when the X11 backend's handler was never installed.
void RestoreErrorHandler();

// Around another toolkit's modal window (a message box over the full-screen saver): gives up
// the full-screen window's keyboard and pointer grabs so that the box gets input, then takes
// them back, raises and focuses the saver window again. The loss of focus to the box is not
// reported as the application losing focus. Calls nest; nothing happens without a
// full-screen window.
void BeginForeignModal();
void EndForeignModal();

}  // namespace platform::x11
