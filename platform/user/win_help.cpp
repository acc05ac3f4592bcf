// WinHelp over the desktop's viewer: help files are HTML pages here.
#include <string>

#include "platform/backend.h"
#include "platform/win32.h"

BOOL WINAPI WinHelpA(HWND window, LPCSTR helpFile, UINT command, ULONG_PTR /*data*/) {
  // Nothing stays open to be told to quit: the viewer is a program of its own.
  if (command == HELP_QUIT) return TRUE;
  platform::Backend* backend = platform::CurrentBackend();
  if (backend == nullptr || helpFile == nullptr) return FALSE;
  std::string problem;
  if (backend->OpenHelp(helpFile, command, &problem)) return TRUE;
  MessageBoxA(window, problem.c_str(), "Help", MB_OK | MB_ICONEXCLAMATION);
  return FALSE;
}
