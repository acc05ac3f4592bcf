// The screen-saver contract: what the host calls in the module, and what it offers back.
#pragma once

#include "platform/win32.h"

// The saver window's procedure: the slide show. Hands every message it does not consume to
// DefScreenSaverProc.
LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The host's default handling: closes a full-screen saver on user input; a preview, or a
// saver already closing, gets DefWindowProc.
LRESULT CALLBACK DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the window classes the configuration dialog needs; FALSE keeps the dialog shut.
BOOL WINAPI RegisterDialogClasses(HINSTANCE instance);

// The configuration dialog's procedure (dialog 2003).
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam);
