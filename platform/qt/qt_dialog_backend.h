// Dialogs and their controls as Qt widgets, over whatever backend shows everything else.
#pragma once

#include "platform/win32.h"

class QWidget;

namespace platform::qt {

// Wraps the installed backend (X11 in the programs, headless in tests) so that dialog windows
// ("#32770") and their controls, and any window inside them, are shown as Qt widgets; every
// other window, the input poll and the clock stay the wrapped backend's. Qt is started only
// when the first dialog is made, and the event loop pays for Qt only while one is shown. False
// when no backend is installed.
bool InstallDialogToolkit();

// The widget that shows one of our dialog or control windows, for a library that puts its own
// widgets into a control (the clip player) and for tests, brought up to date with its window;
// null for any other window.
QWidget* WidgetOf(HWND window);

}  // namespace platform::qt
