// The control classes' state and the dialog records, shared by the files of the dialog
// manager. Internal to platform/user; everything here runs on the dialog's thread.
#pragma once

#include <string>
#include <vector>

#include "platform/user/dialog_controls.h"
#include "platform/win32.h"

namespace platform::user {

inline constexpr char kDialogClassName[] = "#32770";

// A queued user action (dialog_controls.h) arrives at its window as this message: wParam is
// the UserAction, lParam indexes the pending action's details. Control classes own the
// WM_USER range, so no application message can collide with it.
inline constexpr UINT kUserActionMessage = WM_USER + 0x3F0;

struct ControlData {
  ControlKind kind = ControlKind::None;
  bool checked = false;
  bool isDefault = false;
  std::vector<std::string> items;
  int selection = -1;
  std::vector<int> tabStops;
  int iconId = 0;
  // msctls_updown32: Win32's default range runs from 100 down to 0.
  int position = 0;
  int rangeLow = 100;
  int rangeHigh = 0;
  HWND buddy = nullptr;
};

struct DialogData {
  DLGPROC procedure = nullptr;
  HWND owner = nullptr;
  bool ended = false;
  INT_PTR result = 0;
  int baseX = 6;
  int baseY = 13;
  std::vector<HWND> controls;  // template order
};

// The record of a control or dialog window, or null. Valid until the window is destroyed.
ControlData* FindControl(HWND window);
DialogData* FindDialog(HWND window);
ControlData& AddControl(HWND window, ControlKind kind);
DialogData& AddDialog(HWND window);
void ForgetControlOrDialog(HWND window);
// Dialogs open on this thread, oldest first.
const std::vector<HWND>& OpenDialogs();

// Tells the backend that a window's state changed (Backend::ControlChanged).
void NotifyChanged(HWND window);
// WM_COMMAND from a control to its parent dialog.
void NotifyParent(HWND control, UINT code);

// Registers BUTTON, STATIC, EDIT, COMBOBOX, LISTBOX, msctls_updown32 and the dialog class
// when they are not registered (the window system may have been reset since).
void EnsureDialogClasses();
LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StaticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ComboBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK UpDownProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The details of a queued user action, taken once by the window it was queued for.
struct PendingAction {
  UserAction action;
  int value;
  std::string text;
};
bool TakePendingAction(LPARAM key, PendingAction* action);
// Takes the action a kUserActionMessage carries; true when it is `expected` and the control
// takes input now (enabled and shown). Any other action is dropped, as a disabled control
// ignores the mouse.
bool TakeUserAction(HWND control, LPARAM key, UserAction expected, PendingAction* action);
// What every control class does with the messages it does not handle itself: its record goes
// at WM_NCDESTROY, the rest is DefWindowProc's.
LRESULT DefControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Carries out a user action on a dialog (keys, close box).
void HandleDialogAction(HWND dialog, const PendingAction& action);

}  // namespace platform::user
