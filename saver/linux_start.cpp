#include "saver/linux_start.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/win32.h"
#include "saver/host.h"

namespace {

// "0x..." hexadecimal or decimal, the whole text; anything else names no window (null).
HWND ParseWindowId(const char* text) {
  if (text == nullptr) return nullptr;
  std::string_view digits(text);
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  if (digits.empty() || digits.size() > 10) return nullptr;
  std::uint64_t value = 0;
  for (const char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0 || digit >= base) return nullptr;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
  }
  if (value == 0 || value > 0xFFFFFFFF) return nullptr;
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));  // NOLINT
}

int RunInForeignWindow(HWND parent) {
  if (parent == nullptr || IsWindow(parent) == FALSE) return -1;
  return RunSaverWindow(parent);
}

HWND XScreenSaverWindow() {
  const char* named = std::getenv("XSCREENSAVER_WINDOW");
  if (named == nullptr || *named == '\0') return GetDesktopWindow();
  return ParseWindowId(named);
}

// The program name in inverted commas when it holds a space, then the arguments.
std::string Win32CommandLine(int argc, const char* const* argv) {
  const std::string program = argc > 0 && argv[0] != nullptr ? argv[0] : "tavrin";
  std::string line = program.find(' ') != std::string::npos ? '"' + program + '"' : program;
  for (int i = 1; i < argc; ++i) {
    line += ' ';
    line += argv[i];
  }
  return line;
}

}  // namespace

int StartFromArguments(int argc, const char* const* argv) {
  ScreenSaverHost.Instance = GetModuleHandle(nullptr);
  for (int i = 1; i < argc; ++i) {
    const std::string_view option(argv[i]);
    if (option == "-root" || option == "--root") return RunInForeignWindow(XScreenSaverWindow());
    if (option == "-window-id" || option == "--window-id") {
      return RunInForeignWindow(i + 1 < argc ? ParseWindowId(argv[i + 1]) : nullptr);
    }
  }
  return ScreenSaverMain(ScreenSaverHost.Instance, Win32CommandLine(argc, argv).c_str());
}
