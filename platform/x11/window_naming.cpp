#include "platform/x11/window_naming.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/x11/x_error.h"

namespace platform::x11 {
namespace {

// Root -> frame -> client -> preview parent -> the window we look for.
constexpr int kSearchDepth = 4;

struct Atoms {
  Atom className;
  Atom title;
  Atom utf8;
  Atom pid;
};

Atoms InternAtoms(Display* display) {
  return {XInternAtom(display, "_TAVRIN_CLASS", False),
          XInternAtom(display, "_TAVRIN_TITLE", False), XInternAtom(display, "UTF8_STRING", False),
          XInternAtom(display, "_NET_WM_PID", False)};
}

void SetText(Display* display, Window window, Atom property, Atom type, const std::string& text) {
  XChangeProperty(display, window, property, type, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()),
                  static_cast<int>(text.size()));
}

// The text of an 8-bit property, or nothing when the window has none (or has vanished).
std::optional<std::string> GetText(Display* display, Window window, Atom property) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, window, property, 0, 4096, False, AnyPropertyType,
                                        &type, &format, &count, &remaining, &data);
  std::optional<std::string> text;
  if (status == Success && data != nullptr && format == 8) {
    text.emplace(reinterpret_cast<const char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  return text;
}

bool SameIgnoringCase(const std::string& a, const char* b) {
  const std::size_t length = std::strlen(b);
  if (a.size() != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::vector<Window> Children(Display* display, Window window) {
  Window rootReturn = 0;
  Window parentReturn = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  std::vector<Window> result;
  if (XQueryTree(display, window, &rootReturn, &parentReturn, &children, &count) != 0 &&
      children != nullptr) {
    result.assign(children, children + count);
  }
  if (children != nullptr) XFree(children);
  return result;
}

struct Search {
  Display* display;
  Atoms atoms;
  const char* className;
  const char* title;
  const std::function<bool(Window)>& skip;
};

bool Matches(const Search& search, Window window) {
  const auto className = GetText(search.display, window, search.atoms.className);
  if (!className) return false;  // not one of Tavrin's windows
  if (search.className != nullptr && !SameIgnoringCase(*className, search.className)) {
    return false;
  }
  if (search.title == nullptr) return true;
  const auto title = GetText(search.display, window, search.atoms.title);
  return title && *title == search.title;
}

Window SearchBelow(const Search& search, Window parent, int depth) {
  // Top-most first: the stacking order lists the bottom window first.
  const std::vector<Window> children = Children(search.display, parent);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (!search.skip(*it) && Matches(search, *it)) return *it;
  }
  if (depth + 1 >= kSearchDepth) return 0;
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    const Window found = SearchBelow(search, *it, depth + 1);
    if (found != 0) return found;
  }
  return 0;
}

}  // namespace

void NameWindow(Display* display, Window window, const std::string& className,
                const std::string& title) {
  const Atoms atoms = InternAtoms(display);
  SetText(display, window, atoms.className, atoms.utf8, className);
  SetText(display, window, atoms.title, atoms.utf8, title);
  SetText(display, window, XA_WM_NAME, XA_STRING, title);
  // WM_CLASS is two texts, instance then class, each with its terminating NUL.
  std::string classHint = className;
  classHint.push_back('\0');
  classHint += className;
  classHint.push_back('\0');
  SetText(display, window, XA_WM_CLASS, XA_STRING, classHint);
  const auto pid = static_cast<unsigned long>(getpid());
  XChangeProperty(display, window, atoms.pid, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
}

Window FindNamedWindow(Display* display, Window root, const char* className, const char* title,
                       const std::function<bool(Window)>& skip) {
  // Windows of other clients may go away while we look: their errors are expected.
  ErrorTrap trap(display);
  const Search search{display, InternAtoms(display), className, title, skip};
  return SearchBelow(search, root, 0);
}

}  // namespace platform::x11
