// A second, independent X connection for the tests: it looks at the screen and acts as the
// user or as another client would (XTest input, foreign windows, focus changes).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Xlib's macros (None, Bool, Expose...) break GoogleTest: tests see window ids as numbers.
using Xlib_Display = struct _XDisplay;

namespace x11_test {

using XId = unsigned long;  // an X window id

// What the server says of a window.
struct WindowFacts {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool overrideRedirect = false;
  bool viewable = false;
};

class XProbe {
 public:
  XProbe();
  ~XProbe();
  XProbe(const XProbe&) = delete;
  XProbe& operator=(const XProbe&) = delete;

  XId root() const { return root_; }

  // A plain mapped top-level window of this connection (a foreign window to the backend).
  XId CreateWindow(int width, int height);
  void Resize(XId window, int width, int height);
  void Move(XId window, int x, int y);
  void Destroy(XId window);
  // Asks the server for exposures of the whole window.
  void SendExposures(XId window);
  void Focus(XId window);

  // XTest input, as the user would give it; each call waits until the server has handled it.
  void PressKey(unsigned long keysym);
  void ReleaseKey(unsigned long keysym);
  void MovePointer(int x, int y);
  void ClickButton(unsigned int button);

  // Facts about any window on the display.
  WindowFacts Facts(XId window);
  std::vector<XId> Children(XId window);
  XId FocusedWindow();
  std::optional<std::string> TextProperty(XId window, const char* name);
  std::optional<unsigned long> CardinalProperty(XId window, const char* name);
  // The top-level window whose _TAVRIN_TITLE is `title`, or 0.
  XId FindByTitle(const std::string& title);
  // Whether another client holds the keyboard / the pointer (we try to grab and let go).
  bool KeyboardGrabbedElsewhere();
  bool PointerGrabbedElsewhere();
  // The 0x00RRGGBB pixel at (x, y) of a window as the server shows it.
  std::uint32_t Pixel(XId window, int x, int y);

 private:
  Xlib_Display* display_;
  XId root_;
};

}  // namespace x11_test
