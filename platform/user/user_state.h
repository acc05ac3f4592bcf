// The window system's process-wide state: window classes, window records and the per-thread
// message queues. Internal to platform/user.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32.h"

namespace platform::user {

// Any other non-zero handle value below this is a native window of someone else (an X id).
inline constexpr std::uintptr_t kForeignIdLimit = std::uintptr_t{1} << 29;

// Win32 clamps timer periods to this range too; a 0 ms timer would otherwise starve the queue.
inline constexpr DWORD kTimerMinimumMs = 10;
inline constexpr DWORD kTimerMaximumMs = 0x7FFFFFFF;

struct Timer {
  HWND window = nullptr;  // null for a thread timer
  UINT_PTR id = 0;
  DWORD elapse = 0;
  DWORD due = 0;  // tick count at which the next WM_TIMER is generated
};

// One thread's queue. Windows hold it by shared_ptr, so it outlives a thread that exits
// while its windows are still being torn down.
class MessageQueue {
 public:
  explicit MessageQueue(std::uint64_t generation);
  ~MessageQueue();
  MessageQueue(const MessageQueue&) = delete;
  MessageQueue& operator=(const MessageQueue&) = delete;

  // Makes the wake descriptor readable; safe from any thread.
  void Wake() const;
  // Empties the wake descriptor before the queue is looked at, so that a post after the
  // look leaves it readable for the wait that follows.
  void ClearWake() const;
  int WakeFd() const { return wakeFd_; }
  std::thread::id Owner() const { return owner_; }
  std::uint64_t Generation() const { return generation_; }

  // Everything below is guarded by UserMutex().
  std::deque<MSG> posted;
  std::deque<MSG> input;
  std::vector<Timer> timers;
  bool quitPosted = false;
  int quitCode = 0;

  // The QS_ input bits of `input`: written under the lock, read without it by the input poll,
  // which must stay cheap.
  std::atomic<DWORD> inputBits{0};
  void RecomputeInputBits();

 private:
  int wakeFd_ = -1;
  std::thread::id owner_;
  std::uint64_t generation_ = 0;
};

struct WindowClass {
  std::string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC procedure = nullptr;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<const WindowClass> windowClass;
  WNDPROC procedure = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string title;
  HWND parent = nullptr;  // our window, a foreign native id, or null
  int id = 0;             // a child's control id (CreateWindowEx's menu argument)
  int x = 0;
  int y = 0;
  int width = 0;  // the whole window, border included
  int height = 0;
  int inset = 0;  // the border's width on each side of the client area (ClientInset)
  bool visible = false;
  bool fullScreen = false;
  std::shared_ptr<MessageQueue> queue;
  // The update region, kept as its bounding rectangle; empty when right <= left.
  RECT update{0, 0, 0, 0};
  bool erase = false;
  // Set when DestroyWindow starts: the window still answers messages (WM_DESTROY,
  // WM_NCDESTROY) but is not destroyed a second time.
  bool destroying = false;

  bool NeedsPaint() const { return update.right > update.left && update.bottom > update.top; }
  // The client area in client coordinates: inside the border.
  RECT ClientRect() const {
    return RECT{0, 0, std::max(width - 2 * inset, 0), std::max(height - 2 * inset, 0)};
  }
};

// The border a child window's styles draw around its client area, as Win32 sizes it: 1 pixel
// for WS_BORDER, 2 for WS_EX_CLIENTEDGE, 1 for WS_EX_STATICEDGE (which a STATIC's SS_SUNKEN
// implies). Top-level windows are sized by their client area here, so they have none.
int ClientInset(DWORD style, DWORD exStyle, bool isStatic);

struct UserState {
  std::map<std::uintptr_t, std::shared_ptr<Window>> windows;
  std::map<std::string, std::shared_ptr<const WindowClass>> classes;  // by lower-case name
  ATOM nextAtom = 0xC000;
  // Window handles are never reused, not even across ResetWindowSystem, so a stale handle
  // can never name a newer window.
  std::uintptr_t lastWindow = 0;
  HWND foreground = nullptr;
  UINT_PTR nextThreadTimerId = 1;
  HCURSOR cursor = nullptr;  // what SetCursor set last; null = hidden
  bool cursorSet = false;
};

// Guards UserState and every queue's guarded fields. Never held while a window procedure,
// GDI or the backend (other than its clock) is called.
std::mutex& UserMutex();
UserState& State();
// Bumped by ResetWindowSystem: a thread's queue from an older generation is replaced.
std::uint64_t CurrentGeneration();
void NextGeneration();

// Lock held: the record of a window that is still in the table (including one being
// destroyed), or null.
std::shared_ptr<Window> LookUpLocked(HWND window);
// Takes the lock.
std::shared_ptr<Window> LookUp(HWND window);
bool IsForeignHandle(HWND window);
// Lock held: the class registered under this name (ignoring ASCII case) or atom, or null.
std::shared_ptr<const WindowClass> FindClassLocked(LPCSTR name);
// ASCII lower case, as Win32 compares class names.
std::string LowerCase(const char* text);

// The calling thread's queue, made on first use.
std::shared_ptr<MessageQueue> CurrentQueue();
// The calling thread's queue if it has one of the current generation; never allocates.
const MessageQueue* CurrentQueueIfAny();

// The QS_ bit that an input message counts under; 0 for other messages.
DWORD InputBitOf(UINT message);
// The backend's clock, or a monotonic one when no backend is installed.
DWORD Now();

// Set from a signal handler when the process is asked to end (SIGTERM, SIGINT, SIGHUP): the
// input poll then reports input, so a transition in progress stops at its next pace step and
// the close message posted for the signal is handled at once, not after the whole effect.
extern std::atomic<bool> terminationRequested;

// Calls the window's procedure without any lock held. 0 for a window that is gone.
LRESULT CallProcedure(const std::shared_ptr<Window>& window, UINT message, WPARAM wParam,
                      LPARAM lParam);
// Destroys the window and everything below it, Win32's way, whatever thread calls.
void DestroyTree(const std::shared_ptr<Window>& root, bool sendDestroy);
// Removes the window's timers, posted messages and input (lock held).
void ForgetQueuedFor(MessageQueue& queue, HWND window);

}  // namespace platform::user
