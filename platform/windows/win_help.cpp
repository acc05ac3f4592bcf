// WinHelp for current Windows, which no longer has WinHelp: the help file is an HTML page that
// the shell opens in the user's browser.
#include <string>

#include "platform/win32.h"

BOOL WINAPI TavrinWinHelpA(HWND window, LPCSTR helpFile, UINT command, ULONG_PTR /*data*/) {
  // Nothing stays open to be told to quit: the browser is a program of its own.
  if (command == HELP_QUIT) return TRUE;
  if (helpFile == nullptr) return FALSE;
  const std::string path(helpFile);
  std::string problem;
  const DWORD attributes = GetFileAttributesA(helpFile);
  if (path.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    problem = "The help page " + path + " is missing.";
  } else {
    // Above 32 is success; the rest are the reasons it failed.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(window, "open", helpFile, nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return TRUE;
    problem = result == SE_ERR_NOASSOC ? "No program is set to show the help page " + path + "."
                                       : "The help page " + path + " could not be shown.";
  }
  MessageBoxA(window, problem.c_str(), "Help", MB_OK | MB_ICONEXCLAMATION);
  return FALSE;
}
