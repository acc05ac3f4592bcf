// The configuration dialog's procedure. The dialog itself is not built yet: DialogBoxParam
// refuses template 2003, so this procedure is never reached and handles nothing.
#include "saver/screen_saver.h"

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND /*dialog*/, UINT /*message*/, WPARAM /*wParam*/,
                                            LPARAM /*lParam*/) {
  return FALSE;
}
