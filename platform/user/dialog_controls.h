// The dialog manager's controls as the views and drivers outside user/ see them: a backend
// that shows controls (Qt) reads their state from here and reports what the user does; the
// headless driver reports scripted actions the same way. Not for the system's code.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace platform {

enum class ControlKind {
  None,        // not a dialog or control of ours
  Dialog,      // the dialog window itself
  PushButton,  // BS_PUSHBUTTON, and BS_DEFPUSHBUTTON with isDefault
  CheckBox,    // BS_AUTOCHECKBOX, BS_CHECKBOX
  GroupBox,    // BS_GROUPBOX
  Label,       // STATIC text
  Icon,        // STATIC SS_ICON
  BlackRect,   // STATIC SS_BLACKRECT
  Surface,     // STATIC without text, bordered: an area the system draws on
  Edit,        // EDIT, single line
  ComboBox,    // COMBOBOX drop-down list
  ListBox,     // LISTBOX
  UpDown,      // msctls_updown32
};

// A snapshot of one control (or the dialog), for a view to mirror.
struct ControlSnapshot {
  ControlKind kind = ControlKind::None;
  int id = -1;
  DWORD style = 0;
  std::string text;  // the window text (the caption for the dialog)
  bool isDefault = false;
  bool checked = false;
  bool enabled = true;
  bool visible = true;
  bool tabStop = false;
  RECT bounds{0, 0, 0, 0};  // pixels, in the parent's client area (the screen's for a dialog)
  int inset = 0;            // the border around the client area, on each side
  std::vector<std::string> items;  // combo and list entries, in their order
  int selection = -1;
  std::vector<int> tabStops;  // LB_SETTABSTOPS, in dialog units
  int iconId = 0;             // SS_ICON: the icon resource
};

// False for a window that is no dialog or control of ours.
bool SnapshotControl(HWND window, ControlSnapshot* snapshot);
// The dialog's controls in template order.
std::vector<HWND> DialogControls(HWND dialog);
// The most recently opened dialog of the calling thread that is still open, or null.
HWND TopDialog();

// What a user does to a control or a dialog. It is queued for the window and takes effect
// when the dialog's loop dispatches it, as a Win32 mouse or key message would.
enum class UserAction {
  Click,  // a button: an auto check box toggles, then BN_CLICKED
  Pick,   // combo or list: `value` is the entry index; CBN_SELCHANGE / LBN_SELCHANGE
  Arrow,  // up-down: `value` -1 for the upper arrow, +1 for the lower; UDN_DELTAPOS
  Edit,   // edit field: `text` is the field's whole new text; EN_CHANGE
  Key,    // the dialog: `value` is VK_RETURN, VK_ESCAPE or VK_F1, handled as a Win32 dialog does
  Close,  // the dialog's close box: WM_CLOSE, which a dialog turns into IDCANCEL
};
void DeliverUserAction(HWND window, UserAction action, int value = 0, std::string text = {});

// Dialog units to pixels with these base units, as MapDialogRect does.
RECT DialogUnitsToPixels(const RECT& units, int baseX, int baseY);

}  // namespace platform
