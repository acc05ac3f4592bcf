// MessageBox as a Qt message box.
#pragma once

namespace platform::qt {

// Makes MessageBoxA show a modal QMessageBox: the icon of the MB_ICON bits (exclamation,
// hand, asterisk, question), the buttons of MB_OK, MB_OKCANCEL or MB_YESNO, the answer as
// IDOK, IDCANCEL, IDYES or IDNO (closing the box answers as its Cancel, No or OK button).
// Over the full-screen saver the box is on top and gets the input. Where Qt cannot show a box
// (no display), MessageBoxA writes "caption: text" to standard error and answers IDOK (IDYES
// for MB_YESNO).
void InstallMessageBox();

}  // namespace platform::qt
