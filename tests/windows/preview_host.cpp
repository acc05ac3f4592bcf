// Stands in for the Display control panel: a visible window, "Preview host", with a preview area
// that runs the saver's preview inside itself, as Windows does with "tavrin.scr /p HWND".
//
//   preview_host.exe SAVER SECONDS
//
// Prints the preview area's handle in decimal on the first line of standard output and the screen
// position of its top-left corner ("X Y") on the second, so that a test can look at the preview.
// After SECONDS it destroys its window, as the control panel does when it closes, waits for the
// saver and exits with the saver's exit code. A saver that ends earlier ends the host at once
// with its code, and a third line, "ended early", says so; one that outlives its window by more
// than WaitForSaverMs is killed, and the host exits with TimedOut.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32.h"

namespace {

constexpr char ClassName[] = "TavrinPreviewHost";
constexpr char AreaClassName[] = "TavrinPreviewArea";
constexpr char Title[] = "Preview host";
// Wine's X11 driver names a top-level window's X window in this property of the window.
constexpr char WineXWindowProperty[] = "__wine_x11_whole_window";
constexpr int ClientWidth = 320;
constexpr int ClientHeight = 240;
constexpr int WindowX = 40;
constexpr int WindowY = 40;
// The host's own colour: a preview that draws nothing leaves it showing.
constexpr COLORREF Background = RGB(0, 96, 160);
constexpr DWORD WaitForSaverMs = 20000;
constexpr int UsageError = 2;
constexpr int StartFailed = 3;
constexpr int TimedOut = 124;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

bool RegisterHostClass(HINSTANCE instance, const char* name) {
  WNDCLASSA hostClass{};
  hostClass.lpfnWndProc = HostProc;
  hostClass.hInstance = instance;
  hostClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  hostClass.hbrBackground = CreateSolidBrush(Background);
  hostClass.lpszClassName = name;
  return RegisterClassA(&hostClass) != 0;
}

// Wine 8 as Debian builds it (8.0~repack-4) finds no X drawable for a window whose nearest
// ancestor of its own process is another process's top-level window: whatever that process draws
// goes nowhere. A window between the two that names the top-level's X window in Wine's property
// gives it one, so the preview reaches the screen by Wine's ordinary path. On Windows the property
// is absent and nothing is set.
void LendWineXWindow(HWND top, HWND area) {
  if (HANDLE window = GetPropA(top, WineXWindowProperty); window != nullptr) {
    SetPropA(area, WineXWindowProperty, window);
  }
}

// The top-level window and, filling its client area, the preview area that the saver is given,
// as the control panel gives it the picture of a monitor. Returns the area.
HWND CreateHostWindow(HINSTANCE instance, HWND* top) {
  if (!RegisterHostClass(instance, ClassName) || !RegisterHostClass(instance, AreaClassName)) {
    return nullptr;
  }
  // The saver's window is a child of the area: without WS_CLIPCHILDREN the host's background
  // would be painted over the preview.
  constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  RECT frame{0, 0, ClientWidth, ClientHeight};
  AdjustWindowRect(&frame, style, FALSE);
  *top = CreateWindowA(ClassName, Title, style, WindowX, WindowY, frame.right - frame.left,
                       frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (*top == nullptr) return nullptr;
  HWND area = CreateWindowA(AreaClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                            ClientWidth, ClientHeight, *top, nullptr, instance, nullptr);
  if (area == nullptr) return nullptr;
  ShowWindow(*top, SW_SHOW);
  UpdateWindow(*top);
  LendWineXWindow(*top, area);
  return area;
}

// Dispatches this thread's messages until `process` ends or `milliseconds` have passed; true when
// it ended. The saver's child window sends its parent messages, so the host never stops pumping.
bool PumpUntilExit(HANDLE process, DWORD milliseconds) {
  const DWORD deadline = GetTickCount() + milliseconds;
  for (;;) {
    const DWORD now = GetTickCount();
    const DWORD left = static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
    const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) return true;
    if (woken != WAIT_OBJECT_0 + 1) return false;
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

int ExitCodeOf(HANDLE process) {
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: preview_host SAVER SECONDS\n", stderr);
    return UsageError;
  }
  const double seconds = std::strtod(argv[2], nullptr);
  if (!(seconds >= 0 && seconds < 3600)) {
    std::fputs("preview_host: SECONDS must be a number from 0 to 3600\n", stderr);
    return UsageError;
  }

  HWND window = nullptr;
  HWND area = CreateHostWindow(GetModuleHandleA(nullptr), &window);
  if (area == nullptr) {
    std::fputs("preview_host: no window\n", stderr);
    if (window != nullptr) DestroyWindow(window);
    return StartFailed;
  }
  POINT origin{0, 0};
  ClientToScreen(area, &origin);
  const std::string handle = std::to_string(reinterpret_cast<std::uintptr_t>(area));
  std::printf("%s\n%ld %ld\n", handle.c_str(), static_cast<long>(origin.x),
              static_cast<long>(origin.y));
  std::fflush(stdout);

  // Built by appending: GCC 12 takes "..." + std::string for an overlapping copy (-Wrestrict).
  std::string commandLine = "\"";
  commandLine.append(argv[1]).append("\" /p ").append(handle);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION saver{};
  if (CreateProcessA(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &saver) == FALSE) {
    std::fprintf(stderr, "preview_host: cannot start %s (error %lu)\n", argv[1],
                 static_cast<unsigned long>(GetLastError()));
    DestroyWindow(window);
    return StartFailed;
  }
  CloseHandle(saver.hThread);

  const bool endedEarly = PumpUntilExit(saver.hProcess, static_cast<DWORD>(seconds * 1000));
  if (endedEarly) {
    std::puts("ended early");
    std::fflush(stdout);
  }
  DestroyWindow(window);
  int result = 0;
  if (endedEarly || PumpUntilExit(saver.hProcess, WaitForSaverMs)) {
    result = ExitCodeOf(saver.hProcess);
  } else {
    std::fputs("preview_host: the saver outlived its window\n", stderr);
    TerminateProcess(saver.hProcess, 1);
    WaitForSingleObject(saver.hProcess, WaitForSaverMs);
    result = TimedOut;
  }
  CloseHandle(saver.hProcess);
  return result;
}
