#include <cctype>
#include <memory>
#include <mutex>
#include <string>

#include "platform/user/user_state.h"

namespace platform::user {

std::string LowerCase(const char* text) {
  std::string lower = text != nullptr ? text : "";
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::shared_ptr<const WindowClass> FindClassLocked(LPCSTR name) {
  if (name == nullptr) return nullptr;
  const auto& classes = State().classes;
  if (IS_INTRESOURCE(name)) {
    const auto atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
    for (const auto& [key, windowClass] : classes) {
      if (windowClass->atom == atom) return windowClass;
    }
    return nullptr;
  }
  const auto found = classes.find(LowerCase(name));
  return found == classes.end() ? nullptr : found->second;
}

}  // namespace platform::user

using namespace platform::user;  // NOLINT(google-build-using-namespace)

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr ||
      windowClass->lpszClassName == nullptr || IS_INTRESOURCE(windowClass->lpszClassName) ||
      windowClass->lpszClassName[0] == '\0') {
    return 0;
  }
  const std::scoped_lock lock(UserMutex());
  UserState& state = State();
  std::string key = LowerCase(windowClass->lpszClassName);
  if (state.classes.contains(key)) return 0;  // Win32: ERROR_CLASS_ALREADY_EXISTS
  auto record = std::make_shared<WindowClass>();
  record->name = windowClass->lpszClassName;
  record->atom = state.nextAtom++;
  record->style = windowClass->style;
  record->procedure = windowClass->lpfnWndProc;
  record->instance = windowClass->hInstance;
  record->icon = windowClass->hIcon;
  record->cursor = windowClass->hCursor;
  record->background = windowClass->hbrBackground;
  const ATOM atom = record->atom;
  state.classes.emplace(std::move(key), std::move(record));
  return atom;
}
