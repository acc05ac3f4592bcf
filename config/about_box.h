// The About box, dialog "ABOUTBOX", opened over the configuration dialog.
#pragma once

#include "platform/win32.h"

INT_PTR CALLBACK AboutDlg(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
