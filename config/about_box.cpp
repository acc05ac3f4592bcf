#include "config/about_box.h"

INT_PTR CALLBACK AboutDlg(HWND window, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      // The platform puts the focus on the first control that takes it.
      return TRUE;
    case WM_COMMAND:
      // OK, and Cancel as the Escape key and the close box send it.
      if (wParam == IDOK || wParam == IDCANCEL) {
        EndDialog(window, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
