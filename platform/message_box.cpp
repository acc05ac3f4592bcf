#include "platform/message_box.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace platform {
namespace {
std::mutex handlerMutex;
MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}
}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) {
  const std::scoped_lock lock(handlerMutex);
  Handler() = std::move(handler);
}

}  // namespace platform

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  platform::MessageBoxHandler handler;
  {
    const std::scoped_lock lock(platform::handlerMutex);
    handler = platform::Handler();
  }
  const std::string textString = text != nullptr ? text : "";
  const std::string captionString = caption != nullptr ? caption : "Error";
  if (handler) return handler(owner, textString, captionString, type);
  std::fprintf(stderr, "%s: %s\n", captionString.c_str(), textString.c_str());
  return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
}
