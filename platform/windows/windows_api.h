// The system's one header, on Windows: the real Win32, and the few Tavrin calls that Linux needs
// and Windows does by itself.
//
// Where current Windows no longer serves what the system calls, the call is mended here and
// its note says how it differs from the Win32 of the system's design.
#pragma once

// std::min and std::max, not the macros.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: these two need its types.
#include <commctrl.h>
#include <commdlg.h>

#include <climits>
#include <cstddef>
#include <cstdint>

#ifndef PATH_MAX
#define PATH_MAX MAX_PATH
#endif

// Windows ends a saver with WM_CLOSE or by destroying its window: there are no termination
// signals to turn into `message`, so this does nothing.
inline BOOL TavrinPostOnTerminationSignals(HWND /*window*/, UINT /*message*/) {
  return TRUE;
}

// WinHelp and .hlp files are gone from current Windows: HELP_CONTENTS opens `helpFile` (an HTML
// page) with the shell's viewer for it, and HELP_QUIT does nothing. A missing file or viewer is
// told in a message box; FALSE then.
BOOL WINAPI TavrinWinHelpA(HWND window, LPCSTR helpFile, UINT command, ULONG_PTR data);
#undef WinHelp
#define WinHelp TavrinWinHelpA
