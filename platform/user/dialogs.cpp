// Modal dialogs from the templates under resources/.
#include "platform/win32.h"

INT_PTR WINAPI DialogBoxParamA(HINSTANCE /*instance*/, LPCSTR /*templateName*/, HWND /*owner*/,
                               DLGPROC /*dialogProc*/, LPARAM /*initParam*/) {
  // Win32 answers -1 for a template it cannot find. No dialog is built from a template yet,
  // so a template that is there fails the same way rather than pretending to have run.
  return -1;
}
