// What an X key or button press becomes as a Win32 input message.
#pragma once

#include "platform/win32.h"

namespace platform::x11 {

// The Windows virtual-key code of an X keysym: letters and digits as their upper-case ASCII,
// the usual named keys (Escape, Return, arrows, F1-F24, modifiers, keypad...) as VK_ codes;
// any other key as the low byte of its keysym, so that every key still counts as input.
WPARAM VirtualKeyOfKeysym(unsigned long keysym);

// Whether a key press is WM_SYSKEYDOWN rather than WM_KEYDOWN: with Alt held, Alt itself,
// and F10, as Windows has it.
bool IsSystemKey(WPARAM virtualKey, bool altHeld);

// The lParam of WM_KEYDOWN / WM_SYSKEYDOWN: repeat count 1, the scan code (X keycode - 8, as
// evdev numbers them) and, for WM_SYSKEYDOWN, the context bit 29 (Alt held).
LPARAM KeyMessageParam(unsigned int keycode, bool altHeld);

// The input message of X button `button`: 1 left, 3 right, and every other button (2 middle,
// 4-7 the wheels, 8 and up side buttons) WM_MBUTTONDOWN. A wheel turn or a side button is the
// user at the mouse, which must end a saver, and Win32's own messages for them are not ones
// the system reads.
UINT ButtonMessage(unsigned int button);

// The MK_ flags of a mouse message's wParam from an X modifier/button state; `pressed` is the
// button that has just gone down (X reports the state from before the press), or 0.
WPARAM MouseKeyFlags(unsigned int state, unsigned int pressed);

}  // namespace platform::x11
