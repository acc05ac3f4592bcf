// Keys and buttons as the Win32 input the saver reads.
#include "platform/x11/input_translation.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

namespace platform::x11 {
namespace {

TEST(InputTranslationTest, KeysymsBecomeVirtualKeys) {
  EXPECT_EQ(VirtualKeyOfKeysym(XK_q), static_cast<WPARAM>('Q'));
  EXPECT_EQ(VirtualKeyOfKeysym(XK_Q), static_cast<WPARAM>('Q'));
  EXPECT_EQ(VirtualKeyOfKeysym(XK_7), static_cast<WPARAM>('7'));
  EXPECT_EQ(VirtualKeyOfKeysym(XK_KP_7), 0x67u);
  EXPECT_EQ(VirtualKeyOfKeysym(XK_F12), 0x7Bu);
  EXPECT_EQ(VirtualKeyOfKeysym(XK_Return), 0x0Du);
  EXPECT_EQ(VirtualKeyOfKeysym(XK_KP_Enter), 0x0Du);
  EXPECT_EQ(VirtualKeyOfKeysym(XK_Left), 0x25u);
  EXPECT_EQ(VirtualKeyOfKeysym(XK_Down), 0x28u);
  EXPECT_EQ(VirtualKeyOfKeysym(XK_Control_R), 0x11u);
  // Anything unnamed still gives a key code: every key is input.
  EXPECT_EQ(VirtualKeyOfKeysym(XK_eacute), 0xE9u);
  EXPECT_TRUE(IsSystemKey(VirtualKeyOfKeysym(XK_Alt_L), false));
  EXPECT_TRUE(IsSystemKey(VirtualKeyOfKeysym(XK_F10), false));
  EXPECT_FALSE(IsSystemKey(VirtualKeyOfKeysym(XK_F9), false));
  EXPECT_EQ(KeyMessageParam(38, true), 1 | (30 << 16) | (1 << 29));
}

// X's button numbers and state bits (X.h's macros would clash with GoogleTest's names).
constexpr unsigned int Button1 = 1;
constexpr unsigned int Button2 = 2;
constexpr unsigned int Button3 = 3;
constexpr unsigned int Button5 = 5;
constexpr unsigned int ShiftMask = 1U << 0;
constexpr unsigned int ControlMask = 1U << 2;
constexpr unsigned int Button3Mask = 1U << 10;

TEST(InputTranslationTest, ButtonsBecomeButtonMessagesWithKeyFlags) {
  EXPECT_EQ(ButtonMessage(Button1), static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(ButtonMessage(Button2), static_cast<UINT>(WM_MBUTTONDOWN));
  EXPECT_EQ(ButtonMessage(Button3), static_cast<UINT>(WM_RBUTTONDOWN));
  EXPECT_EQ(ButtonMessage(Button5), static_cast<UINT>(WM_MBUTTONDOWN));
  EXPECT_EQ(ButtonMessage(8), static_cast<UINT>(WM_MBUTTONDOWN));  // a side button
  // X reports the state before the press: the pressed button is added.
  EXPECT_EQ(MouseKeyFlags(ShiftMask, Button1), 0x0001u | 0x0004u);
  EXPECT_EQ(MouseKeyFlags(Button3Mask | ControlMask, 0), 0x0002u | 0x0008u);
}

}  // namespace
}  // namespace platform::x11
