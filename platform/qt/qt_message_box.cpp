#include "platform/qt/qt_message_box.h"

#include <QMessageBox>
#include <QString>

#include <cstdio>
#include <string>

#include "platform/message_box.h"
#include "platform/qt/qt_application.h"
#include "platform/win32.h"
#include "platform/x11/toolkit_hooks.h"

namespace platform::qt {
namespace {

constexpr UINT kButtonBits = 0x0F;
constexpr UINT kIconBits = 0xF0;

QMessageBox::Icon IconOf(UINT type) {
  switch (type & kIconBits) {
    case MB_ICONHAND:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case MB_ICONASTERISK:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButtons ButtonsOf(UINT type) {
  switch (type & kButtonBits) {
    case MB_OKCANCEL:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_YESNO:
      return QMessageBox::Yes | QMessageBox::No;
    default:
      return QMessageBox::Ok;
  }
}

int AnswerOf(QMessageBox::StandardButton button, UINT type) {
  switch (button) {
    case QMessageBox::Ok:
      return IDOK;
    case QMessageBox::Cancel:
      return IDCANCEL;
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    default:
      // Closed without a button: as Escape would answer.
      switch (type & kButtonBits) {
        case MB_OKCANCEL:
          return IDCANCEL;
        case MB_YESNO:
          return IDNO;
        default:
          return IDOK;
      }
  }
}

// Keeps the full-screen saver's grabs away from the box while it is up.
class ForeignModalScope {
 public:
  ForeignModalScope() { platform::x11::BeginForeignModal(); }
  ~ForeignModalScope() { platform::x11::EndForeignModal(); }
  ForeignModalScope(const ForeignModalScope&) = delete;
  ForeignModalScope& operator=(const ForeignModalScope&) = delete;
};

int ShowBox(HWND /*owner*/, const std::string& text, const std::string& caption, UINT type) {
  if (!EnsureApplication()) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return (type & kButtonBits) == MB_YESNO ? IDYES : IDOK;
  }
  QMessageBox box(IconOf(type), QString::fromLocal8Bit(caption.data(), caption.size()),
                  QString::fromLocal8Bit(text.data(), text.size()), ButtonsOf(type));
  // Our windows are not Qt's, so the owner cannot parent the box; staying on top keeps it
  // in front of the saver as an owned box would be.
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  const ForeignModalScope modal;
  box.exec();
  return AnswerOf(box.standardButton(box.clickedButton()), type);
}

}  // namespace

void InstallMessageBox() {
  platform::SetMessageBoxHandler(ShowBox);
}

}  // namespace platform::qt
