// How Linux starts a screen saver: the options of XScreenSaver and xsecurelock, and the
// Win32 modes for everything else.
#pragma once

// `-root` / `--root` runs the show as a child of $XSCREENSAVER_WINDOW (hexadecimal after
// "0x", or decimal; the root window when unset); `-window-id ID` / `--window-id ID` as a child
// of that window. Either way input is the caller's business, as in a preview, and the caller
// ends the saver with SIGTERM. Any other command line is a Win32 one ("/s", "/p 1234", ...).
// Returns the process's exit code; -1 when the window named is no window.
int StartFromArguments(int argc, const char* const* argv);
