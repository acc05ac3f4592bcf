// A small test dialog run modally on the headless backend wrapped in the Qt view: a step runs
// each time the dialog's loop is idle, and the dialog procedure records what reaches it.
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace qt_dialog_test {

// The test dialog's controls, in template order.
enum ControlId : int {
  kCheck = 101,   // auto check box, tab stop
  kCombo = 102,   // sorted drop-down list, tab stop
  kEdit = 103,    // edit field right of kLabel, tab stop
  kList = 104,    // list with tab stops, tab stop
  kArrows = 105,  // up-down with arrow keys, no tab stop
  kArea = 106,    // bordered static the test draws on
  kLabel = 107,   // "Grain Size:", left of kEdit
  kHelp = 128,    // push button, tab stop (IDOK, the default button, is before it)
  kGroup = 109,   // group box around the rest
};

// What reached the dialog procedure, with the control's state at that moment: the check of a
// button, the selection of a combo or list, the text of a field, the delta of the arrows.
struct Notification {
  UINT message = 0;  // WM_COMMAND, WM_NOTIFY or WM_HELP
  int id = 0;
  int code = 0;
  int value = 0;
  std::string text;
};

bool operator==(const Notification& a, const Notification& b);
void PrintTo(const Notification& notification, std::ostream* out);

using Step = std::function<void(HWND dialog)>;

// On a fresh headless backend wrapped in the Qt view, runs the test dialog: `setup` from
// WM_INITDIALOG, then each step at an idle moment of the loop; after the last the run gives up
// (DialogBoxParam's -1). The notifications recorded, oldest first.
std::vector<Notification> RunDialog(const Step& setup, const std::vector<Step>& steps);

// The widget that shows a control of the dialog (the dialog's own for id 0).
QWidget* Widget(HWND dialog, int id);

}  // namespace qt_dialog_test
