// The host: which mode the command line names, the saver window, and the message loop.
#include "saver/host.h"

#include <cstdint>

#include "saver/screen_saver.h"

ScreenSaverHostRecord ScreenSaverHost = {};

namespace {

constexpr WORD ConfigureDialogId = 2003;
constexpr WORD SaverIconId = 100;
constexpr UINT SaverClassStyle = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
constexpr DWORD FullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD PreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
// Beyond the 32 bits of a window handle a number names no window.
constexpr std::uintptr_t LargestHandle = 0xFFFFFFFF;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The program name is quoted up to the closing quote, else it runs to the first character at
// or below a space.
const char* SkipProgramName(const char* line) {
  if (*line == '"') {
    ++line;
    while (*line != '\0' && *line != '"') ++line;
    if (*line == '"') ++line;
  } else {
    while (static_cast<unsigned char>(*line) > ' ') ++line;
  }
  while (IsBlank(*line)) ++line;
  return line;
}

int DigitValue(char c, int base) {
  int value = 99;
  if (c >= '0' && c <= '9') value = c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// A decimal handle (no digit gives 0), or, since X window ids are often written so, a
// hexadecimal one after "0x". A number too large for a handle gives 0, never another window.
HWND ReadWindowHandle(const char* text) {
  while (IsBlank(*text)) ++text;
  int base = 10;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text += 2;
  }
  std::uintptr_t value = 0;
  for (int digit = DigitValue(*text, base); digit >= 0; digit = DigitValue(*++text, base)) {
    value = value * static_cast<std::uintptr_t>(base) + static_cast<std::uintptr_t>(digit);
    if (value > LargestHandle) return nullptr;
  }
  return reinterpret_cast<HWND>(value);  // NOLINT(performance-no-int-to-ptr)
}

int RunConfigureDialog(HWND owner) {
  if (RegisterDialogClasses(ScreenSaverHost.Instance) == FALSE) return 0;
  return static_cast<int>(DialogBoxParam(ScreenSaverHost.Instance,
                                         MAKEINTRESOURCE(ConfigureDialogId), owner,
                                         ScreenSaverConfigureDialog, 0));
}

int DispatchMode(const char* commandLine) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionEx(&version);
  const bool windows9x = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;

  const char* mode = SkipProgramName(commandLine);
  while (*mode == ' ' || *mode == '-' || *mode == '/') ++mode;
  switch (*mode) {
    case '\0':
      return RunConfigureDialog(nullptr);
    case 'S':
    case 's':
      return RunSaverWindow(nullptr);
    case 'P':
    case 'p':
    case 'L':
    case 'l': {
      HWND parent = ReadWindowHandle(mode + 1);
      if (parent == nullptr || IsWindow(parent) == FALSE) return -1;
      return RunSaverWindow(parent);
    }
    case 'C':
    case 'c':
      return RunConfigureDialog(GetForegroundWindow());
    case 'A':
    case 'a':
      // Only the 95/98 family has a screen-saver password to change.
      return windows9x ? 0 : -1;
    default:
      return -1;
  }
}

}  // namespace

int ScreenSaverMain(HINSTANCE instance, LPCSTR commandLine) {
  ScreenSaverHost.Instance = instance;
  try {
    return DispatchMode(commandLine != nullptr ? commandLine : "");
  } catch (...) {
    return -1;
  }
}

HWND OpenSaverWindow(HWND parent) {
  ScreenSaverHost.Preview = parent != nullptr ? TRUE : FALSE;
  ScreenSaverHost.Closing = FALSE;
  ScreenSaverHost.SaverWindow = nullptr;

  WNDCLASSA saverClass{};
  saverClass.style = SaverClassStyle;
  saverClass.lpfnWndProc = ScreenSaverFilterProc;
  saverClass.hInstance = ScreenSaverHost.Instance;
  saverClass.hIcon = LoadIcon(ScreenSaverHost.Instance, MAKEINTRESOURCE(SaverIconId));
  saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  saverClass.lpszClassName = SaverClassName;
  // A second window in the same process finds the class already there.
  RegisterClass(&saverClass);

  HWND window = nullptr;
  if (parent == nullptr) {
    window = CreateWindowEx(WS_EX_TOPMOST, SaverClassName, FullScreenTitle, FullScreenStyle, 0, 0,
                            GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                            nullptr, ScreenSaverHost.Instance, nullptr);
    if (window != nullptr) SetForegroundWindow(window);
  } else {
    RECT parentRect{};
    GetClientRect(parent, &parentRect);
    window = CreateWindowEx(0, SaverClassName, PreviewTitle, PreviewStyle, 0, 0, parentRect.right,
                            parentRect.bottom, parent, nullptr, ScreenSaverHost.Instance, nullptr);
  }
  ScreenSaverHost.SaverWindow = window;
  return window;
}

int RunMessageLoop() {
  MSG message{};
  BOOL got = FALSE;
  while ((got = GetMessage(&message, nullptr, 0, 0)) > 0) {
    TranslateMessage(&message);
    DispatchMessage(&message);
  }
  // A loop that broke on a failing GetMessage has no quit code to give.
  return got == 0 ? static_cast<int>(message.wParam) : -1;
}

int RunSaverWindow(HWND parent) {
  if (parent == nullptr) {
    if (HWND running = FindWindow(SaverClassName, FullScreenTitle); running != nullptr) {
      SetForegroundWindow(running);
      return 0;
    }
  }
  HWND window = OpenSaverWindow(parent);
  // Without a window there is nothing to end the loop: waiting would hang the caller.
  if (window == nullptr) return -1;
  // The caller of a saver ends it with a signal; it then closes as if the user had.
  TavrinPostOnTerminationSignals(window, WM_CLOSE);
  return RunMessageLoop();
}
