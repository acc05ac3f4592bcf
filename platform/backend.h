// The seam between the window system (user/, gdi/) and what shows windows and reads input.
//
// One backend is installed per process: X11 in the programs, headless in tests. The window
// system calls the backend; the backend reports native events back through the functions of
// platform/user/window_system.h, only from inside Pump().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace platform {

// A window's client pixels, 0x00RRGGBB, row after row. Valid until the window is resized
// or destroyed.
struct PixelSurface {
  std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels from one row to the next
};

// What the window system asks a backend to create for a window of its own.
struct NativeWindowParams {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  HWND parent = nullptr;    // our own window, a foreign window (handle = native id), or null
  bool fullScreen = false;  // top-level WS_POPUP | WS_EX_TOPMOST covering the whole screen
  bool visible = false;
  std::string className;
  std::string title;
  DWORD style = 0;
  int controlId = 0;    // a child's id (the menu argument of CreateWindowEx)
  int clientInset = 0;  // the border around the client area, on each side; the surface is inside
};

// What GetOpenFileName asks a backend's file chooser for.
struct FileRequest {
  struct Filter {
    std::string description;
    std::vector<std::string> patterns;  // "*.jpg", ...
  };
  HWND owner = nullptr;
  std::string title;
  std::string folder;  // where the chooser starts; empty: wherever it likes
  std::vector<Filter> filters;
  std::size_t filter = 0;  // the preselected one, from 0
  std::string defaultExtension;
  DWORD flags = 0;  // the request's OFN_ flags
  bool multiple = false;
  bool mustExist = false;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // Clock. Milliseconds, wrapping at 2^32.
  virtual DWORD TickCount() = 0;
  virtual void SleepFor(DWORD milliseconds) = 0;

  // Screen size in pixels.
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;

  // Native windows for our own windows. False when the window cannot be made.
  virtual bool CreateNativeWindow(HWND window, const NativeWindowParams& params) = 0;
  virtual void DestroyNativeWindow(HWND window) = 0;
  virtual void ShowNativeWindow(HWND window, bool visible) = 0;
  virtual PixelSurface Surface(HWND window) = 0;
  // Puts the changed client rectangle of `window` on screen (already clipped to the surface),
  // at once or at the latest when the next InputPending, Pump, Wait or CursorPos returns.
  virtual void Present(HWND window, const RECT& changed) = 0;

  // Foreign windows, named by their native id (an X window id).
  virtual bool ForeignWindowExists(std::uintptr_t nativeId) = 0;
  virtual bool ForeignClientSize(std::uintptr_t nativeId, int* width, int* height) = 0;
  // A window of any process created by this platform with that class and title (null text
  // matches anything); 0 when none. Used by FindWindow after our own windows.
  virtual std::uintptr_t FindNativeWindow(const char* className, const char* title) = 0;
  // Raises (and, for our own window, focuses) a window.
  virtual void RaiseWindow(HWND window) = 0;
  // The native id of the screen's root window, a foreign window; 0 where there is none.
  virtual std::uintptr_t DesktopWindowId() { return 0; }

  // Pointer.
  virtual POINT CursorPos() = 0;
  virtual void SetCursorHidden(bool hidden) = 0;

  // The input poll: one real, non-blocking look at the native source. True when a key
  // press, button press or pointer motion for this process waits there, or the end of one of
  // our windows (or of its foreign parent) that someone else destroyed: drawing stops for it as
  // for input, and the next Pump destroys the window. Removes nothing.
  virtual bool InputPending() = 0;
  // Moves every native event that has arrived into the window system, without blocking.
  virtual void Pump() = 0;
  // Blocks until a native event arrives, `wakeFd` becomes readable, or `timeoutMs` passes
  // (INFINITE: no time-out). The headless backend advances its virtual clock instead.
  virtual void Wait(int wakeFd, DWORD timeoutMs) = 0;
  // The descriptor that becomes readable when native events arrive, for a backend that wraps
  // this one and waits on more sources at once; -1 when there is none (the headless backend,
  // whose Wait moves a virtual clock). Wait(wakeFd, 0) first sends what is still unsent.
  virtual int ConnectionFd() { return -1; }
  // The backend this one wraps and forwards to (the Qt view of dialogs wraps X11); null for one
  // that wraps none.
  virtual Backend* Wrapped() { return nullptr; }

  // --- Dialogs (platform/user/dialog_controls.h) --------------------------------------
  // Dialog and control windows are made with CreateNativeWindow like any other (their class
  // name tells them apart). After one is made, and after every change of its state (text,
  // check, entries, selection, enabled, shown), the window system calls ControlChanged on the
  // dialog's thread; a backend that shows controls reads SnapshotControl and reports the
  // user's actions with DeliverUserAction.
  virtual void ControlChanged(HWND /*window*/) {}
  // The colour a dialog's empty areas show (0x00RRGGBB), which a drawing area erases to.
  virtual std::uint32_t DialogFaceColour() { return 0x00F0F0F0; }
  // The base units of a dialog font in pixels: the average width of "A".."Z" "a".."z" and
  // the height. Without a toolkit to measure fonts: MS Sans Serif 8's 6 x 13.
  virtual void DialogFontUnits(const char* /*face*/, int /*pointSize*/, int* baseX, int* baseY) {
    *baseX = 6;
    *baseY = 13;
  }
  // The screen that DS_CENTER centres a dialog on, in the pixels that dialogs are sized and
  // placed in: a toolkit that scales its windows (HiDPI) counts its own, unscaled pixels.
  virtual void DialogScreenSize(int* width, int* height) {
    *width = ScreenWidth();
    *height = ScreenHeight();
  }
  // Opens a help page in the desktop's viewer (xdg-open), started detached so that nothing
  // waits for it; `command` is WinHelp's (the viewer always opens the page's beginning). False,
  // with a sentence for the user in `problem`, when it cannot start.
  virtual bool OpenHelp(const std::string& path, UINT command, std::string* problem);
  // Lets the user choose files to open, modal over the request's owner: true with the chosen
  // files' full paths in `chosen` (several only when the request allows several), false when
  // the user cancels. A backend without a chooser cancels.
  virtual bool ChooseFiles(const FileRequest& /*request*/, std::vector<std::string>* /*chosen*/) {
    return false;
  }

  // --- Observation, for tools that trace what the system does (the headless backend) ---
  // SetTimer (elapse in ms) and KillTimer (elapse 0) on a window.
  virtual void TimerChanged(HWND /*window*/, UINT_PTR /*id*/, UINT /*elapse*/) {}
  // A modal dialog's loop ended with this result.
  virtual void DialogEnded(HWND /*dialog*/, INT_PTR /*result*/) {}
  // A modal dialog loop has nothing to do. Wait: it waits for messages as GetMessage does
  // (every backend that shows real dialogs). Again: look at the queue again (a driver acted).
  // GiveUp: the loop ends and every open dialog returns -1 (a scripted run has run out of
  // actions, or a headless run has no driver). The headless backend runs its driver here.
  enum class IdleResult { Wait, Again, GiveUp };
  virtual IdleResult DialogIdle() { return IdleResult::Wait; }
};

// Installs the process's backend, replacing (and destroying) any earlier one.
void InstallBackend(std::unique_ptr<Backend> backend);
// Takes the installed backend out, leaving none installed: for a backend that wraps it.
std::unique_ptr<Backend> ReleaseBackend();
// The installed backend, or null when none has been installed (kernel calls then use the
// real clock; window calls fail).
Backend* CurrentBackend();

// The installed backend of type T, also when another backend wraps it; null when there is none.
template <typename T>
T* InstalledBackendOf() {
  for (Backend* backend = CurrentBackend(); backend != nullptr; backend = backend->Wrapped()) {
    if (auto* found = dynamic_cast<T*>(backend)) return found;
  }
  return nullptr;
}

}  // namespace platform
