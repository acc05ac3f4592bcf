#include "platform/x11/input_translation.h"

#include <X11/X.h>
#include <X11/keysym.h>

#include <array>
#include <utility>

namespace platform::x11 {
namespace {

constexpr std::array<std::pair<unsigned long, WPARAM>, 39> kNamedKeys{{
    {XK_BackSpace, 0x08},    {XK_Tab, 0x09},
    {XK_ISO_Left_Tab, 0x09}, {XK_Return, 0x0D},
    {XK_KP_Enter, 0x0D},     {XK_Shift_L, 0x10},
    {XK_Shift_R, 0x10},      {XK_Control_L, 0x11},
    {XK_Control_R, 0x11},    {XK_Alt_L, 0x12},
    {XK_Alt_R, 0x12},        {XK_Meta_L, 0x12},
    {XK_Meta_R, 0x12},       {XK_ISO_Level3_Shift, 0x12},
    {XK_Pause, 0x13},        {XK_Caps_Lock, 0x14},
    {XK_Escape, 0x1B},       {XK_space, 0x20},
    {XK_Prior, 0x21},        {XK_Next, 0x22},
    {XK_End, 0x23},          {XK_Home, 0x24},
    {XK_Left, 0x25},         {XK_Up, 0x26},
    {XK_Right, 0x27},        {XK_Down, 0x28},
    {XK_Print, 0x2C},        {XK_Insert, 0x2D},
    {XK_Delete, 0x2E},       {XK_Super_L, 0x5B},
    {XK_Super_R, 0x5C},      {XK_Menu, 0x5D},
    {XK_KP_Multiply, 0x6A},  {XK_KP_Add, 0x6B},
    {XK_KP_Subtract, 0x6D},  {XK_KP_Decimal, 0x6E},
    {XK_KP_Divide, 0x6F},    {XK_Num_Lock, 0x90},
    {XK_Scroll_Lock, 0x91},
}};

}  // namespace

WPARAM VirtualKeyOfKeysym(unsigned long keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return keysym - XK_a + 'A';
  if (keysym >= XK_A && keysym <= XK_Z) return keysym - XK_A + 'A';
  if (keysym >= XK_0 && keysym <= XK_9) return keysym - XK_0 + '0';
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return keysym - XK_KP_0 + 0x60;
  if (keysym >= XK_F1 && keysym <= XK_F24) return keysym - XK_F1 + 0x70;
  for (const auto& [named, virtualKey] : kNamedKeys) {
    if (named == keysym) return virtualKey;
  }
  return keysym & 0xFF;
}

bool IsSystemKey(WPARAM virtualKey, bool altHeld) {
  constexpr WPARAM kAlt = 0x12;
  constexpr WPARAM kF10 = 0x79;
  return altHeld || virtualKey == kAlt || virtualKey == kF10;
}

LPARAM KeyMessageParam(unsigned int keycode, bool altHeld) {
  const unsigned int scanCode = keycode >= 8 ? (keycode - 8) & 0xFF : 0;
  LPARAM param = 1 | static_cast<LPARAM>(scanCode) << 16;
  if (altHeld) param |= LPARAM{1} << 29;
  return param;
}

UINT ButtonMessage(unsigned int button) {
  switch (button) {
    case Button1:
      return WM_LBUTTONDOWN;
    case Button3:
      return WM_RBUTTONDOWN;
    default:
      return WM_MBUTTONDOWN;
  }
}

WPARAM MouseKeyFlags(unsigned int state, unsigned int pressed) {
  constexpr WPARAM kLeft = 0x0001;
  constexpr WPARAM kRight = 0x0002;
  constexpr WPARAM kShift = 0x0004;
  constexpr WPARAM kControl = 0x0008;
  constexpr WPARAM kMiddle = 0x0010;
  WPARAM flags = 0;
  if ((state & Button1Mask) != 0 || pressed == Button1) flags |= kLeft;
  if ((state & Button3Mask) != 0 || pressed == Button3) flags |= kRight;
  if ((state & Button2Mask) != 0 || pressed == Button2) flags |= kMiddle;
  if ((state & ShiftMask) != 0) flags |= kShift;
  if ((state & ControlMask) != 0) flags |= kControl;
  return flags;
}

}  // namespace platform::x11
