// The screen-saver host: the process's modes, the saver window and its message loop.
#pragma once

#include "platform/win32.h"

struct ScreenSaverHostRecord {
  HINSTANCE Instance;
  BOOL Preview;         // the saver window is a child of someone else's window
  BOOL Closing;         // allowed to close: input and ticks no longer reach the slide show
  POINT InitialCursor;  // where the pointer was when the saver started, or last refused
  HWND SaverWindow;
};

extern ScreenSaverHostRecord ScreenSaverHost;

inline constexpr char SaverClassName[] = "WindowsScreenSaverClass";
inline constexpr char FullScreenTitle[] = "Screen Saver";
inline constexpr char PreviewTitle[] = "Preview";

// Runs the mode a Win32 command line names (program name first) and returns the process's
// exit code: the message loop's last wParam, the dialog's result, 0 when another full-screen
// saver already runs, -1 for an unknown mode or a preview handle that is no window.
int ScreenSaverMain(HINSTANCE instance, LPCSTR commandLine);

// Runs the saver in a window of its own: full screen when `parent` is null, else as a child
// filling `parent` (a window handle or a foreign window id). Returns the exit code as above.
int RunSaverWindow(HWND parent);

// The steps of RunSaverWindow, for callers that drive the loop themselves: the saver window,
// or null when it could not be made (or, full screen, when another one runs: that one is
// brought to the front).
HWND OpenSaverWindow(HWND parent);
// GetMessage, TranslateMessage, DispatchMessage while GetMessage returns more than 0; the
// last message's wParam.
int RunMessageLoop();

// The class's window procedure: filters messages before the slide show sees them.
LRESULT CALLBACK ScreenSaverFilterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
