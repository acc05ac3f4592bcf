#include "platform/x11/x11_backend.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/handles.h"
#include "platform/user/window_system.h"
#include "platform/x11/input_translation.h"
#include "platform/x11/toolkit_hooks.h"
#include "platform/x11/window_image.h"
#include "platform/x11/window_naming.h"
#include "platform/x11/x_error.h"

namespace platform::x11 {
namespace {

constexpr long kOwnWindowEvents = KeyPressMask | ButtonPressMask | PointerMotionMask |
                                  ExposureMask | StructureNotifyMask | FocusChangeMask;
// A window manager may hold the keyboard for a moment (while it handles a key binding, say);
// the grab is retried this often, 10 ms apart, then given up rather than hang.
constexpr int kGrabAttempts = 50;
constexpr long kGrabRetryNanoseconds = 10'000'000;

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// X window ids use at most 29 bits; anything else is a handle of ours.
bool IsNativeId(std::uintptr_t value) {
  return value != 0 && value < (std::uintptr_t{1} << 29);
}

void SleepNanoseconds(long nanoseconds) {
  timespec remaining{nanoseconds / 1'000'000'000, nanoseconds % 1'000'000'000};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

struct NativeWindow {
  HWND handle = nullptr;
  Window id = 0;
  Window parentId = 0;  // the X parent: the root, one of ours, or a foreign window
  bool foreignParent = false;
  bool fullScreen = false;
  bool mapped = false;
  bool gone = false;  // the server has destroyed it (with a parent); no more requests on it
  int width = 0;
  int height = 0;
  std::unique_ptr<WindowImage> image;
  // Changed rectangles not yet put on screen; see Present.
  std::vector<RECT> unpresented;
};

class X11Backend final : public Backend {
 public:
  explicit X11Backend(DisplayPtr connection)
      : display_(std::move(connection)),
        screen_(DefaultScreen(display_.get())),
        root_(RootWindow(display_.get(), screen_)),
        visual_(DefaultVisual(display_.get(), screen_)),
        depth_(DefaultDepth(display_.get(), screen_)),
        fd_(ConnectionNumber(display_.get())),
        tryShm_(SharedMemoryOffered(display_.get())) {
    Display* display = display_.get();
    XGCValues values{};
    values.graphics_exposures = False;  // no NoExpose events in the input queue
    gc_ = XCreateGC(display, root_, GCGraphicsExposures, &values);
    // The blank cursor: a 1x1 pixmap cursor whose mask shows nothing.
    const char emptyBits[1] = {0};
    const Pixmap empty = XCreateBitmapFromData(display, root_, emptyBits, 1, 1);
    XColor black{};
    blankCursor_ = XCreatePixmapCursor(display, empty, empty, &black, &black, 0, 0);
    XFreePixmap(display, empty);
  }

  ~X11Backend() override {
    Display* display = display_.get();
    for (auto& [id, window] : windows_) {
      window.image.reset();
      if (!window.gone && !IsOwnWindow(window.parentId)) XDestroyWindow(display, id);
    }
    windows_.clear();
    XFreeCursor(display, blankCursor_);
    XFreeGC(display, gc_);
    XSync(display, False);
  }

  X11Backend(const X11Backend&) = delete;
  X11Backend& operator=(const X11Backend&) = delete;

  // --- Clock ------------------------------------------------------------------------

  DWORD TickCount() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000 +
                              static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000;
    return static_cast<DWORD>(milliseconds);
  }

  void SleepFor(DWORD milliseconds) override {
    if (milliseconds == 0) {
      sched_yield();
      return;
    }
    SleepNanoseconds(static_cast<long>(milliseconds % 1000) * 1'000'000 +
                     static_cast<long>(milliseconds / 1000) * 1'000'000'000);
  }

  int ScreenWidth() override { return DisplayWidth(display_.get(), screen_); }
  int ScreenHeight() override { return DisplayHeight(display_.get(), screen_); }

  // --- Our windows ------------------------------------------------------------------

  bool CreateNativeWindow(HWND handle, const NativeWindowParams& params) override {
    Display* display = display_.get();
    NativeWindow window;
    window.handle = handle;
    window.fullScreen = params.fullScreen;
    window.parentId = root_;
    int x = params.x;
    int y = params.y;
    int width = params.width;
    int height = params.height;
    if (params.fullScreen) {
      x = 0;
      y = 0;
      width = ScreenWidth();
      height = ScreenHeight();
    } else if (params.parent != nullptr) {
      const auto own = idsByHandle_.find(params.parent);
      if (own != idsByHandle_.end()) {
        window.parentId = own->second;
      } else {
        // A foreign parent: we fill it and follow its size.
        const std::uintptr_t foreign = HandleValue(params.parent);
        int parentWidth = 0;
        int parentHeight = 0;
        if (!IsNativeId(foreign) || !ForeignClientSize(foreign, &parentWidth, &parentHeight)) {
          return false;
        }
        window.parentId = static_cast<Window>(foreign);
        window.foreignParent = true;
        x = 0;
        y = 0;
        width = parentWidth;
        height = parentHeight;
      }
    }
    // X sizes and positions are 16-bit; CW_USEDEFAULT and the like become something sane.
    window.width = std::clamp(width, 1, SHRT_MAX);
    window.height = std::clamp(height, 1, SHRT_MAX);
    x = std::clamp(x, SHRT_MIN, SHRT_MAX);
    y = std::clamp(y, SHRT_MIN, SHRT_MAX);

    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, screen_);
    attributes.border_pixel = 0;
    attributes.colormap = DefaultColormap(display, screen_);
    attributes.event_mask = kOwnWindowEvents;
    attributes.override_redirect = params.fullScreen ? True : False;
    unsigned long mask =
        CWBackPixel | CWBorderPixel | CWColormap | CWEventMask | CWOverrideRedirect;
    if (params.fullScreen || cursorHidden_) {
      attributes.cursor = blankCursor_;
      mask |= CWCursor;
    }
    {
      // A foreign parent may vanish at any moment; the explicit visual and depth keep our
      // pixels valid inside a parent of another depth.
      ErrorTrap trap(display);
      window.id = XCreateWindow(display, window.parentId, x, y, static_cast<unsigned>(window.width),
                                static_cast<unsigned>(window.height), 0, depth_, InputOutput,
                                visual_, mask, &attributes);
      NameWindow(display, window.id, params.className, params.title);
      if (window.foreignParent) XSelectInput(display, window.parentId, StructureNotifyMask);
      if (trap.Failed()) {
        XDestroyWindow(display, window.id);
        XFlush(display);
        return false;
      }
    }
    if (window.foreignParent) watchedForeign_.insert(window.parentId);
    const Window id = window.id;
    idsByHandle_[handle] = id;
    windows_.emplace(id, std::move(window));
    if (params.visible) ShowNativeWindow(handle, true);
    XFlush(display);
    return true;
  }

  void DestroyNativeWindow(HWND handle) override {
    NativeWindow* window = Find(handle);
    if (window == nullptr) return;
    Display* display = display_.get();
    const Window id = window->id;
    if (window->fullScreen && window->mapped) ReleaseInput();
    window->image.reset();
    if (!window->gone) XDestroyWindow(display, id);
    // The server destroys its X descendants with it; their records learn it here, so that
    // nothing is asked of them later.
    MarkDescendantsGone(id);
    idsByHandle_.erase(handle);
    windows_.erase(id);
    XFlush(display);
  }

  void ShowNativeWindow(HWND handle, bool visible) override {
    NativeWindow* window = Find(handle);
    if (window == nullptr || window->gone || window->mapped == visible) return;
    Display* display = display_.get();
    window->mapped = visible;
    if (visible) {
      XMapRaised(display, window->id);
      if (window->fullScreen) TakeInput(*window);
    } else {
      if (window->fullScreen) ReleaseInput();
      XUnmapWindow(display, window->id);
    }
    XFlush(display);
  }

  PixelSurface Surface(HWND handle) override {
    NativeWindow* window = Find(handle);
    if (window == nullptr || window->gone) return {};
    if (window->image == nullptr) {
      window->image = WindowImage::Create(display_.get(), visual_, depth_, window->width,
                                          window->height, tryShm_);
      if (window->image == nullptr) return {};
    }
    return window->image->Pixels();
  }

  void Present(HWND handle, const RECT& changed) override {
    NativeWindow* window = Find(handle);
    if (window == nullptr || window->gone || window->image == nullptr) return;
    const int left = std::max<int>(changed.left, 0);
    const int top = std::max<int>(changed.top, 0);
    const int right = std::min<int>(changed.right, window->image->Width());
    const int bottom = std::min<int>(changed.bottom, window->image->Height());
    if (right <= left || bottom <= top) return;
    // Put off until the next input poll or wait, which is all the drawing rule asks ("visible
    // before the next pace step returns"): an effect step of hundreds of thin copies then
    // costs one put of their bounding box instead of hundreds of requests. A few separate
    // rectangles are kept apart so that far-apart copies (Scramble's tile swaps) do not become
    // one screen-sized put.
    const RECT area{left, top, right, bottom};
    std::vector<RECT>& pending = window->unpresented;
    for (const RECT& earlier : pending) {
      if (earlier.left <= left && earlier.top <= top && earlier.right >= right &&
          earlier.bottom >= bottom) {
        return;
      }
    }
    if (pending.size() < kSeparateRectangles) {
      pending.push_back(area);
    } else {
      RECT box = area;
      for (const RECT& earlier : pending) {
        box = {std::min(box.left, earlier.left), std::min(box.top, earlier.top),
               std::max(box.right, earlier.right), std::max(box.bottom, earlier.bottom)};
      }
      pending.assign(1, box);
    }
    unpresented_ = true;
  }

  // --- Foreign windows ----------------------------------------------------------------

  bool ForeignWindowExists(std::uintptr_t nativeId) override {
    int width = 0;
    int height = 0;
    return ForeignClientSize(nativeId, &width, &height);
  }

  bool ForeignClientSize(std::uintptr_t nativeId, int* width, int* height) override {
    if (!IsNativeId(nativeId)) return false;
    Display* display = display_.get();
    ErrorTrap trap(display);
    XWindowAttributes attributes{};
    const Status status = XGetWindowAttributes(display, static_cast<Window>(nativeId), &attributes);
    if (status == 0 || trap.FirstError() != 0) return false;
    *width = attributes.width;
    *height = attributes.height;
    return true;
  }

  std::uintptr_t FindNativeWindow(const char* className, const char* title) override {
    // Ours are found by the window system before it asks here.
    return FindNamedWindow(display_.get(), root_, className, title,
                           [this](Window id) { return IsOwnWindow(id); });
  }

  std::uintptr_t DesktopWindowId() override { return root_; }

  void RaiseWindow(HWND handle) override {
    Display* display = display_.get();
    if (NativeWindow* window = Find(handle); window != nullptr) {
      if (window->gone) return;
      XRaiseWindow(display, window->id);
      // Focusing an unmapped window is an error, which the handler drops.
      if (window->mapped) XSetInputFocus(display, window->id, RevertToParent, CurrentTime);
    } else if (IsNativeId(HandleValue(handle))) {
      XRaiseWindow(display, static_cast<Window>(HandleValue(handle)));
    }
    XFlush(display);
  }

  // --- Pointer ------------------------------------------------------------------------

  POINT CursorPos() override {
    PresentPending();  // the pointer query is a round trip: what was drawn is then on screen
    Window rootReturn = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    XQueryPointer(display_.get(), root_, &rootReturn, &child, &rootX, &rootY, &windowX, &windowY,
                  &mask);
    return POINT{rootX, rootY};
  }

  void SetCursorHidden(bool hidden) override {
    // Windows made later take the current choice when they are made.
    if (hidden == cursorHidden_) return;
    cursorHidden_ = hidden;
    Display* display = display_.get();
    for (const auto& [id, window] : windows_) {
      if (window.gone || window.fullScreen) continue;  // full screen: always blank
      if (hidden) {
        XDefineCursor(display, id, blankCursor_);
      } else {
        XUndefineCursor(display, id);
      }
    }
    XFlush(display);
  }

  // --- Input ------------------------------------------------------------------------

  bool InputPending() override {
    PresentPending();
    Display* display = display_.get();
    // One real look at the connection per call. Events already read but not yet pumped
    // (an Expose, a ConfigureNotify) do not stop it: input that arrives behind them must
    // still be seen by the first poll after it.
    const int queued = XEventsQueued(display, QueuedAlready);
    pollfd connection{fd_, POLLIN, 0};
    const bool readable = ::poll(&connection, 1, 0) > 0;
    if (!readable && queued == scannedEvents_) return false;
    return ScanQueueForInput();
  }

  void Pump() override {
    PresentPending();
    Display* display = display_.get();
    while (XPending(display) > 0) {
      XEvent event{};
      XNextEvent(display, &event);
      Handle(event);
    }
    scannedEvents_ = 0;
  }

  void Wait(int wakeFd, DWORD timeoutMs) override {
    PresentPending();
    // XPending also flushes what we have asked for, which must reach the server before we sleep.
    if (XPending(display_.get()) > 0) return;
    std::array<pollfd, 2> sources{{{fd_, POLLIN, 0}, {wakeFd, POLLIN, 0}}};
    const nfds_t count = wakeFd >= 0 ? 2 : 1;
    const int timeout =
        timeoutMs == INFINITE ? -1 : static_cast<int>(std::min<DWORD>(timeoutMs, INT_MAX));
    // A signal (EINTR) ends the wait too: the caller looks again, as after any wake-up.
    ::poll(sources.data(), count, timeout);
  }

  int ConnectionFd() override { return fd_; }

  // --- For the toolkit hooks ----------------------------------------------------------

  void BeginModal() {
    if (modalDepth_++ > 0) return;
    if (const NativeWindow* window = MappedFullScreen(); window != nullptr) ReleaseInput();
  }

  void EndModal() {
    if (modalDepth_ == 0 || --modalDepth_ > 0) return;
    // Focus changes up to here were the box's, not the user leaving the saver.
    modalEndSerial_ = NextRequest(display_.get());
    if (NativeWindow* window = MappedFullScreen(); window != nullptr) {
      XRaiseWindow(display_.get(), window->id);
      TakeInput(*window);
    }
    XFlush(display_.get());
  }

 private:
  static constexpr std::size_t kSeparateRectangles = 8;

  // Puts every changed rectangle on screen and flushes: a flush, not a sync, since a round
  // trip per step would cost more than the drawing.
  void PresentPending() {
    if (!unpresented_) return;
    unpresented_ = false;
    for (auto& [id, window] : windows_) {
      if (!window.gone && window.image != nullptr) {
        for (const RECT& area : window.unpresented) {
          const int right = std::min<int>(area.right, window.image->Width());
          const int bottom = std::min<int>(area.bottom, window.image->Height());
          if (right <= area.left || bottom <= area.top) continue;
          window.image->Put(window.id, gc_, area.left, area.top, right - area.left,
                            bottom - area.top);
        }
      }
      window.unpresented.clear();
    }
    XFlush(display_.get());
  }

  NativeWindow* Find(HWND handle) {
    const auto id = idsByHandle_.find(handle);
    if (id == idsByHandle_.end()) return nullptr;
    return FindById(id->second);
  }

  NativeWindow* FindById(Window id) {
    const auto window = windows_.find(id);
    return window == windows_.end() ? nullptr : &window->second;
  }

  bool IsOwnWindow(Window id) const { return windows_.count(id) != 0; }

  // Whether the server's destruction of `id` takes away a window of ours that we did not
  // destroy ourselves: a live one of ours, or a foreign parent of ours.
  bool EndsOneOfOurs(Window id) const {
    const auto own = windows_.find(id);
    if (own != windows_.end()) return !own->second.gone;
    return watchedForeign_.count(id) != 0;
  }

  NativeWindow* MappedFullScreen() {
    for (auto& [id, window] : windows_) {
      if (window.fullScreen && window.mapped && !window.gone) return &window;
    }
    return nullptr;
  }

  void MarkDescendantsGone(Window ancestor) {
    std::vector<Window> dead{ancestor};
    while (!dead.empty()) {
      const Window parent = dead.back();
      dead.pop_back();
      for (auto& [id, window] : windows_) {
        if (window.parentId == parent && !window.foreignParent && !window.gone) {
          window.gone = true;
          window.image.reset();
          dead.push_back(id);
        }
      }
    }
  }

  // Full screen: keyboard and pointer to us, focus on us. Retries a refused grab briefly.
  void TakeInput(const NativeWindow& window) {
    Display* display = display_.get();
    XSetInputFocus(display, window.id, RevertToParent, CurrentTime);
    for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
      if (XGrabKeyboard(display, window.id, False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
          GrabSuccess) {
        break;
      }
      SleepNanoseconds(kGrabRetryNanoseconds);
    }
    for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
      if (XGrabPointer(display, window.id, False,
                       static_cast<unsigned>(ButtonPressMask | PointerMotionMask), GrabModeAsync,
                       GrabModeAsync, None, blankCursor_, CurrentTime) == GrabSuccess) {
        break;
      }
      SleepNanoseconds(kGrabRetryNanoseconds);
    }
  }

  void ReleaseInput() {
    Display* display = display_.get();
    XUngrabPointer(display, CurrentTime);
    XUngrabKeyboard(display, CurrentTime);
    XFlush(display);
  }

  // Looks through the events read so far, removing nothing, for a key press, button press or
  // pointer motion of one of our windows, or for the end of a window someone else destroyed
  // (ours, with its parent, or the foreign parent itself). The end counts as input so that a
  // transition stops at once and the message loop, pumping, closes the window: a preview whose
  // settings window was killed must not draw on into nothing until its transition is over.
  bool ScanQueueForInput() {
    struct Scan {
      const X11Backend* backend;
      bool found;
    } scan{this, false};
    XEvent unused{};
    XCheckIfEvent(
        display_.get(), &unused,
        [](Display*, XEvent* event, XPointer argument) -> Bool {
          auto* state = reinterpret_cast<Scan*>(argument);
          if (event->type == DestroyNotify) {
            if (state->backend->EndsOneOfOurs(event->xdestroywindow.window)) state->found = true;
          } else if ((event->type == KeyPress || event->type == ButtonPress ||
                      event->type == MotionNotify) &&
                     state->backend->IsOwnWindow(event->xany.window)) {
            state->found = true;
          }
          return False;  // never take it: the message loop will
        },
        reinterpret_cast<XPointer>(&scan));
    // What was scanned without a find need not be scanned again until more events come.
    scannedEvents_ = scan.found ? 0 : XEventsQueued(display_.get(), QueuedAlready);
    return scan.found;
  }

  void Handle(const XEvent& event) {
    switch (event.type) {
      case KeyPress:
        OnKeyPress(event.xkey);
        break;
      case ButtonPress:
        OnButtonPress(event.xbutton);
        break;
      case MotionNotify:
        if (const NativeWindow* window = FindById(event.xmotion.window); window != nullptr) {
          DeliverInput(window->handle, WM_MOUSEMOVE, MouseKeyFlags(event.xmotion.state, 0),
                       MAKELPARAM(event.xmotion.x, event.xmotion.y));
        }
        break;
      case Expose:
        if (const NativeWindow* window = FindById(event.xexpose.window); window != nullptr) {
          const RECT area{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                          event.xexpose.y + event.xexpose.height};
          DeliverExpose(window->handle, area);
        }
        break;
      case ConfigureNotify:
        OnConfigure(event.xconfigure);
        break;
      case DestroyNotify:
        OnDestroy(event.xdestroywindow.window);
        break;
      case FocusOut:
        OnFocusOut(event.xfocus);
        break;
      case MappingNotify: {
        XMappingEvent mapping = event.xmapping;
        XRefreshKeyboardMapping(&mapping);
        break;
      }
      default:
        break;
    }
  }

  void OnKeyPress(XKeyEvent key) {
    const NativeWindow* window = FindById(key.window);
    if (window == nullptr) return;
    const WPARAM virtualKey = VirtualKeyOfKeysym(XLookupKeysym(&key, 0));
    const bool alt = (key.state & Mod1Mask) != 0;
    DeliverInput(window->handle, IsSystemKey(virtualKey, alt) ? WM_SYSKEYDOWN : WM_KEYDOWN,
                 virtualKey, KeyMessageParam(key.keycode, alt));
  }

  void OnButtonPress(const XButtonEvent& button) {
    const NativeWindow* window = FindById(button.window);
    if (window == nullptr) return;
    DeliverInput(window->handle, ButtonMessage(button.button),
                 MouseKeyFlags(button.state, button.button), MAKELPARAM(button.x, button.y));
  }

  void OnConfigure(const XConfigureEvent& configure) {
    if (NativeWindow* window = FindById(configure.window); window != nullptr) {
      if (window->gone ||
          (configure.width == window->width && configure.height == window->height)) {
        return;
      }
      window->width = configure.width;
      window->height = configure.height;
      if (window->image != nullptr) {
        window->image.reset();
        window->image = WindowImage::Create(display_.get(), visual_, depth_, window->width,
                                            window->height, tryShm_);
      }
      DeliverResize(window->handle, window->width, window->height);
      return;
    }
    if (watchedForeign_.count(configure.window) != 0) {
      // Our children of a foreign window fill it; their own ConfigureNotify reports the size.
      for (const auto& [id, window] : windows_) {
        if (window.foreignParent && window.parentId == configure.window && !window.gone) {
          XResizeWindow(display_.get(), id, static_cast<unsigned>(std::max(configure.width, 1)),
                        static_cast<unsigned>(std::max(configure.height, 1)));
        }
      }
      XFlush(display_.get());
    }
  }

  void OnDestroy(Window id) {
    if (NativeWindow* window = FindById(id); window != nullptr) {
      // Not asked for by DestroyNativeWindow (its record would be gone): its parent went.
      if (window->gone) return;
      window->gone = true;
      window->image.reset();
      MarkDescendantsGone(id);
      DeliverNativeDestroyed(window->handle);
      return;
    }
    if (watchedForeign_.erase(id) != 0) {
      DeliverForeignDestroyed(id);
    }
  }

  void OnFocusOut(const XFocusChangeEvent& focus) {
    const NativeWindow* window = FindById(focus.window);
    if (window == nullptr || !window->fullScreen || window->gone) return;
    // Grabs (ours among them) change focus with NotifyGrab / NotifyUngrab; focus moving
    // inside our window or following the pointer is no loss either.
    if (focus.mode != NotifyNormal && focus.mode != NotifyWhileGrabbed) return;
    if (focus.detail == NotifyInferior || focus.detail == NotifyPointer) return;
    if (modalDepth_ > 0 || focus.serial < modalEndSerial_) return;
    DeliverFocusLost(window->handle);
  }

  DisplayPtr display_;
  int screen_;
  Window root_;
  Visual* visual_;
  int depth_;
  int fd_;
  bool tryShm_;
  GC gc_ = nullptr;
  Cursor blankCursor_ = 0;
  bool cursorHidden_ = false;
  std::unordered_map<Window, NativeWindow> windows_;
  std::unordered_map<HWND, Window> idsByHandle_;
  std::unordered_set<Window> watchedForeign_;
  // How many events at the head of Xlib's queue are known to hold no input; the queue only
  // grows between pumps, so an unchanged length with nothing readable means no input.
  int scannedEvents_ = 0;
  bool unpresented_ = false;  // some window has rectangles waiting for PresentPending
  int modalDepth_ = 0;
  unsigned long modalEndSerial_ = 0;
};

X11Backend* InstalledX11Backend() {
  return InstalledBackendOf<X11Backend>();
}

// Our pixels are 0x00RRGGBB in 32-bit words: the screen must store them as they are.
bool ScreenTakesOurPixels(Display* display) {
  const int screen = DefaultScreen(display);
  const Visual* visual = DefaultVisual(display, screen);
  if (visual->red_mask != 0xFF0000 || visual->green_mask != 0x00FF00 ||
      visual->blue_mask != 0x0000FF) {
    return false;
  }
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  bool thirtyTwoBits = false;
  for (int i = 0; i < count; ++i) {
    if (formats[i].depth == DefaultDepth(display, screen)) {
      thirtyTwoBits = formats[i].bits_per_pixel == 32;
    }
  }
  if (formats != nullptr) XFree(formats);
  return thirtyTwoBits && ImageByteOrder(display) == LSBFirst;
}

}  // namespace

bool Install() {
  DisplayPtr display(XOpenDisplay(nullptr));
  if (display == nullptr || !ScreenTakesOurPixels(display.get())) return false;
  InstallErrorHandler();
  InstallBackend(std::make_unique<X11Backend>(std::move(display)));
  return true;
}

bool DisplayReachable() {
  const DisplayPtr display(XOpenDisplay(nullptr));
  return display != nullptr;
}

void RestoreErrorHandler() {
  if (ErrorHandlerInstalled()) InstallErrorHandler();
}

void BeginForeignModal() {
  if (X11Backend* backend = InstalledX11Backend(); backend != nullptr) backend->BeginModal();
}

void EndForeignModal() {
  if (X11Backend* backend = InstalledX11Backend(); backend != nullptr) backend->EndModal();
}

}  // namespace platform::x11
