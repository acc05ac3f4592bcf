// MessageBox answered by a real QMessageBox (offscreen), closed by a click from a timer.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <thread>
#include <utility>

#include "platform/qt/qt_application.h"
#include "platform/qt/qt_message_box.h"
#include "platform/win32.h"

namespace {

struct ShownBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
};

// Runs `act` on the message box once it is up (a zero timer fires inside the box's loop).
class WhenBoxIsUp {
 public:
  explicit WhenBoxIsUp(std::function<void(QMessageBox*)> act) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [act = std::move(act)] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      act(box);
    });
    timer_.start(0);
  }

 private:
  QTimer timer_;
};

class QtMessageBoxTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(platform::qt::EnsureApplication());
    platform::qt::InstallMessageBox();
  }
};

TEST_F(QtMessageBoxTest, ShowsCaptionTextIconAndButtonsAndAnswersTheClick) {
  ShownBox shown;
  const WhenBoxIsUp clickCancel([&shown](QMessageBox* box) {
    shown = {box->windowTitle(), box->text(), box->icon(),
             static_cast<int>(box->standardButtons())};
    box->button(QMessageBox::Cancel)->click();
  });
  EXPECT_EQ(MessageBoxA(nullptr, "File does not exist", "Tavrin", MB_OKCANCEL | MB_ICONEXCLAMATION),
            IDCANCEL);
  EXPECT_EQ(shown.title, "Tavrin");
  EXPECT_EQ(shown.text, "File does not exist");
  EXPECT_EQ(shown.icon, QMessageBox::Warning);
  EXPECT_EQ(shown.buttons, QMessageBox::Ok | QMessageBox::Cancel);
}

TEST_F(QtMessageBoxTest, ButtonsAndIconsFollowTheStyle) {
  struct Case {
    UINT type;
    QMessageBox::StandardButton click;
    int answer;
    QMessageBox::Icon icon;
  };
  const Case cases[] = {
      {MB_OK, QMessageBox::Ok, IDOK, QMessageBox::NoIcon},
      {MB_OK | MB_ICONHAND, QMessageBox::Ok, IDOK, QMessageBox::Critical},
      {MB_YESNO | MB_ICONQUESTION, QMessageBox::Yes, IDYES, QMessageBox::Question},
      {MB_YESNO, QMessageBox::No, IDNO, QMessageBox::NoIcon},
      {MB_OKCANCEL | MB_ICONASTERISK, QMessageBox::Ok, IDOK, QMessageBox::Information},
      // Closed without a button: the answer Escape would give.
      {MB_YESNO, QMessageBox::NoButton, IDNO, QMessageBox::NoIcon},
      {MB_OKCANCEL, QMessageBox::NoButton, IDCANCEL, QMessageBox::NoIcon},
      {MB_OK, QMessageBox::NoButton, IDOK, QMessageBox::NoIcon},
  };
  for (const Case& c : cases) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    const QMessageBox::StandardButton click = c.click;
    const WhenBoxIsUp answer([&icon, click](QMessageBox* box) {
      icon = box->icon();
      if (click == QMessageBox::NoButton) {
        box->reject();
      } else {
        box->button(click)->click();
      }
    });
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", c.type), c.answer) << "type " << c.type;
    EXPECT_EQ(icon, c.icon) << "type " << c.type;
  }
}

TEST_F(QtMessageBoxTest, AnotherThreadGetsTheTextLineInstead) {
  int answer = 0;
  std::thread other([&answer] { answer = MessageBoxA(nullptr, "text", "caption", MB_YESNO); });
  other.join();
  EXPECT_EQ(answer, IDYES);
}

}  // namespace
