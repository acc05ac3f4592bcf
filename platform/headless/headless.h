// The headless backend: a virtual screen, a virtual clock, scripted input, recorded message
// boxes. Tests and the tracer drive the platform through it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace headless {

// Installs a fresh headless backend with a screen of this size and resets the window system,
// GDI, the clock (to 0), scripted input, recorded boxes and the box answer (IDOK).
// The functions below act on the installed headless backend and do nothing (or return 0 and
// empty records) while another backend, or none, is installed.
void Install(int screenWidth, int screenHeight);

// The virtual clock. GetTickCount reads it; Sleep and a GetMessage waiting for a timer
// advance it; nothing else moves it.
DWORD Now();
void AdvanceClock(DWORD milliseconds);

// Input that becomes visible to the input poll (GetQueueStatus) at poll number `atPoll`
// (polls are counted from 1 since Install) and is then delivered as `message` to `window`.
// atPoll 0: visible at once.
void ScriptInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam, std::uint64_t atPoll = 0);
std::uint64_t PollCount();
void SetCursorPos(POINT point);
// Whether SetCursor last asked for the blank cursor.
bool CursorHidden();
// How many times a window's changed pixels were put on the virtual screen.
std::uint64_t PresentCount();

// Message boxes shown so far, oldest first, and the answer given to the next ones.
struct MessageBoxRecord {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};
const std::vector<MessageBoxRecord>& MessageBoxes();
void SetMessageBoxAnswer(int answer);

// A window's client pixels (0x00RRGGBB) for inspection; 0 outside it.
std::uint32_t WindowPixel(HWND window, int x, int y);
// The screen as GetDC(nullptr) draws it: the full-screen window where one covers the screen,
// else the off-screen screen.
std::uint32_t ScreenPixel(int x, int y);

// A foreign native window (as a window id given on a command line would name), which our
// windows can be children of: they follow its size (WM_SIZE) and are destroyed with it. Both
// reach them at the next GetMessage or PeekMessage, as a native window system reports them;
// until then a destruction makes the input poll (GetQueueStatus) report input, as on X.
std::uintptr_t CreateForeignWindow(int width, int height);
void ResizeForeignWindow(std::uintptr_t id, int width, int height);
void DestroyForeignWindow(std::uintptr_t id);

// What GetMessage does when the queue is empty and no timer is armed: by default it returns
// -1 at once instead of blocking forever (a test that forgot to arm a timer fails rather than
// hangs). With `block` true it really blocks until a message is posted, from another thread.
// A GetMessage waiting for a timer advances the clock to that timer instead of waiting.
void SetBlockingWait(bool block);

// --- Dialogs -------------------------------------------------------------------------
// Driving a modal dialog from a test: DialogBoxParam runs its loop on the test's thread, so
// the test's actions run from the driver, which the loop calls whenever it has nothing to do.
// The virtual clock moves only when the driver moves it (AdvanceClock): timers then fire. The
// driver returns false when it has no more to do: the loop then gives up and every open dialog
// returns -1. Without a driver a dialog loop with nothing to do gives up at once.
void SetDialogDriver(std::function<bool()> driver);

// A user's actions on the topmost open dialog of the calling thread (platform::TopDialog),
// queued as the real controls would queue them. False when there is no such dialog or
// control (or no such entry).
bool ClickControl(int id);
bool PickEntry(int id, int index);
bool PickEntryText(int id, const std::string& text);  // the entry with exactly this text
bool TypeText(int id, const std::string& text);       // the field's whole text becomes `text`
bool PressArrow(int id, bool up);
bool PressDialogKey(UINT virtualKey);  // VK_RETURN, VK_ESCAPE, VK_F1
bool PressCloseBox();

// Things the system did, as they happen (every member may be empty).
struct Observer {
  std::function<void(const MessageBoxRecord&)> messageBox;
  std::function<void(HWND window, UINT_PTR id, UINT elapse)> timerSet;
  std::function<void(HWND window, UINT_PTR id)> timerKilled;
  std::function<void(HWND dialog, INT_PTR result)> dialogEnded;
  std::function<void(const std::string& path, UINT command)> help;
  // A file chooser opened (GetOpenFileName): its folder, title, OFN_ flags, default extension.
  std::function<void(const std::string& folder, const std::string& title, DWORD flags,
                     const std::string& defaultExtension)>
      chooser;
};
void SetObserver(Observer observer);
// Help pages asked for so far (WinHelp), and whether the next one fails as a missing viewer.
struct HelpRecord {
  std::string path;
  UINT command;
};
const std::vector<HelpRecord>& HelpRequests();

// The answer of the next file chooser (GetOpenFileName), used once: these files (full paths),
// or a cancel. A chooser with no answer scripted is cancelled.
void ChooseNextFiles(std::vector<std::string> paths);
void CancelNextChooser();
}  // namespace headless
