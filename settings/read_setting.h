// Reading one setting from the store: shared by the saver module and the song player.
#pragma once

#include "platform/win32.h"

// Size of every buffer that receives a setting or a path: the longest path the platform allows
// plus its NUL. A stored value longer than that is never cut; it reads as empty text.
constexpr int SettingTextSize = PATH_MAX + 1;

// Fills `destination` (SettingTextSize bytes) with the text of "Software\Dravelin\Tavrin\<subKey>"
// / `valueName`, or with empty text when the key or value is absent, unreadable or too long.
// `window` is not used.
void ReadSetting(HWND window, const char* subKey, const char* valueName, char* destination);

// Reads a leading decimal number as "%d" does: white space, an optional sign, digits; anything
// after the digits is ignored. False (and `number` untouched) when the text does not begin with
// a number. Numbers beyond int's range are clamped to it.
bool ParseSettingNumber(const char* text, int* number);
