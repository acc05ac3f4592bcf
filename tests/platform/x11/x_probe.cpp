#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <stdexcept>

#include "x_probe.h"

namespace x11_test {

XProbe::XProbe() : display_(XOpenDisplay(nullptr)), root_(0) {
  if (display_ == nullptr) throw std::runtime_error("the probe cannot open $DISPLAY");
  root_ = DefaultRootWindow(display_);
}

XProbe::~XProbe() {
  XCloseDisplay(display_);
}

Window XProbe::CreateWindow(int width, int height) {
  const Window window = XCreateSimpleWindow(display_, root_, 0, 0, static_cast<unsigned>(width),
                                            static_cast<unsigned>(height), 0, 0, 0);
  XSelectInput(display_, window, ButtonPressMask);  // as a real preview box would
  XMapWindow(display_, window);
  XSync(display_, False);
  return window;
}

void XProbe::Resize(Window window, int width, int height) {
  XResizeWindow(display_, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(display_, False);
}

void XProbe::Move(Window window, int x, int y) {
  XMoveWindow(display_, window, x, y);
  XSync(display_, False);
}

void XProbe::Destroy(Window window) {
  XDestroyWindow(display_, window);
  XSync(display_, False);
}

void XProbe::SendExposures(Window window) {
  XClearArea(display_, window, 0, 0, 0, 0, True);
  XSync(display_, False);
}

void XProbe::Focus(Window window) {
  XSetInputFocus(display_, window, RevertToParent, CurrentTime);
  XSync(display_, False);
}

void XProbe::PressKey(unsigned long keysym) {
  XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), True, CurrentTime);
  XSync(display_, False);
}

void XProbe::ReleaseKey(unsigned long keysym) {
  XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), False, CurrentTime);
  XSync(display_, False);
}

void XProbe::MovePointer(int x, int y) {
  XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
  XSync(display_, False);
}

void XProbe::ClickButton(unsigned int button) {
  XTestFakeButtonEvent(display_, button, True, CurrentTime);
  XTestFakeButtonEvent(display_, button, False, CurrentTime);
  XSync(display_, False);
}

WindowFacts XProbe::Facts(Window window) {
  XWindowAttributes attributes{};
  WindowFacts facts;
  if (XGetWindowAttributes(display_, window, &attributes) == 0) return facts;
  facts = {attributes.x,
           attributes.y,
           attributes.width,
           attributes.height,
           attributes.override_redirect != False,
           attributes.map_state == IsViewable};
  return facts;
}

std::vector<Window> XProbe::Children(Window window) {
  Window rootReturn = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  std::vector<Window> result;
  if (XQueryTree(display_, window, &rootReturn, &parent, &children, &count) != 0 &&
      children != nullptr) {
    result.assign(children, children + count);
  }
  if (children != nullptr) XFree(children);
  return result;
}

Window XProbe::FocusedWindow() {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  return focus;
}

std::optional<std::string> XProbe::TextProperty(Window window, const char* name) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  std::optional<std::string> text;
  if (XGetWindowProperty(display_, window, XInternAtom(display_, name, False), 0, 1024, False,
                         AnyPropertyType, &type, &format, &count, &remaining, &data) == Success &&
      data != nullptr && format == 8) {
    text.emplace(reinterpret_cast<const char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  return text;
}

std::optional<unsigned long> XProbe::CardinalProperty(Window window, const char* name) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  std::optional<unsigned long> value;
  if (XGetWindowProperty(display_, window, XInternAtom(display_, name, False), 0, 1, False,
                         XA_CARDINAL, &type, &format, &count, &remaining, &data) == Success &&
      data != nullptr && format == 32 && count == 1) {
    value = *reinterpret_cast<const unsigned long*>(data);
  }
  if (data != nullptr) XFree(data);
  return value;
}

Window XProbe::FindByTitle(const std::string& title) {
  for (const Window window : Children(root_)) {
    if (TextProperty(window, "_TAVRIN_TITLE") == title) return window;
  }
  return 0;
}

bool XProbe::KeyboardGrabbedElsewhere() {
  const int result =
      XGrabKeyboard(display_, root_, False, GrabModeAsync, GrabModeAsync, CurrentTime);
  if (result == GrabSuccess) XUngrabKeyboard(display_, CurrentTime);
  XSync(display_, False);
  return result == AlreadyGrabbed;
}

bool XProbe::PointerGrabbedElsewhere() {
  const int result = XGrabPointer(display_, root_, False, ButtonPressMask, GrabModeAsync,
                                  GrabModeAsync, None, None, CurrentTime);
  if (result == GrabSuccess) XUngrabPointer(display_, CurrentTime);
  XSync(display_, False);
  return result == AlreadyGrabbed;
}

std::uint32_t XProbe::Pixel(Window window, int x, int y) {
  XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return 0xFF000000;  // no pixel: not a colour we draw
  const auto pixel = static_cast<std::uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

}  // namespace x11_test
