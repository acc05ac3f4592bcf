#include "settings/read_setting.h"

#include <climits>
#include <cstdio>

namespace {

// Fills `path` (SettingTextSize bytes) with the key path of a subkey; false when it does not fit,
// so that a long name never opens a different, cut key.
bool FormatKeyPath(const char* subKey, char* path) {
  const int length = std::snprintf(path, SettingTextSize, "Software\\Dravelin\\Tavrin\\%s", subKey);
  return length >= 0 && length < SettingTextSize;
}

bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

void ReadSetting(HWND /*window*/, const char* subKey, const char* valueName, char* destination) {
  destination[0] = '\0';
  char path[SettingTextSize];
  if (!FormatKeyPath(subKey, path)) return;
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  // One byte is kept for the NUL the store does not hold; a longer value fails whole.
  DWORD size = SettingTextSize - 1;
  const LSTATUS status = RegQueryValueEx(key, valueName, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(destination), &size);
  destination[status == ERROR_SUCCESS ? size : 0] = '\0';
  RegCloseKey(key);
}

bool ParseSettingNumber(const char* text, int* number) {
  while (IsSpace(*text)) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  if (*text < '0' || *text > '9') return false;
  long long magnitude = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    if (magnitude <= INT_MAX) magnitude = magnitude * 10 + (*text - '0');
  }
  const long long value = negative ? -magnitude : magnitude;
  *number = value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
  return true;
}
