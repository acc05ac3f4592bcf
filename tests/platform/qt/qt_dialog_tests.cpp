// The Qt view of a dialog over the headless backend: every kind of control mirrors what the
// dialog manager holds, and what a user does to the widgets reaches the dialog procedure as
// the Win32 notification.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <string>
#include <vector>

#include "platform/qt/qt_application.h"
#include "tests/platform/qt/qt_dialog_session.h"
#include "tests/support/frame_lines.h"

namespace qt_dialog_test {
namespace {

template <typename T>
T* As(HWND dialog, int id) {
  auto* widget = qobject_cast<T*>(Widget(dialog, id));
  EXPECT_NE(widget, nullptr) << "control " << id;
  return widget;
}

QStringList Entries(const QComboBox* combo) {
  QStringList entries;
  for (int i = 0; i < combo->count(); ++i) entries.append(combo->itemText(i));
  return entries;
}

void Send(HWND dialog, int id, UINT message, WPARAM wParam, const char* text = nullptr) {
  SendDlgItemMessageA(dialog, id, message, wParam, reinterpret_cast<LPARAM>(text));
}

void FillLists(HWND dialog) {
  for (const char* effect : {"Wipe", "Blind", "Slide"})
    Send(dialog, kCombo, CB_ADDSTRING, 0, effect);
  Send(dialog, kCombo, CB_SETCURSEL, 0);
  for (const char* entry : {"beach\t/pictures/beach.jpg", "hill\t/pictures/hill.jpg"}) {
    Send(dialog, kList, LB_ADDSTRING, 0, entry);
  }
  Send(dialog, kList, LB_SETCURSEL, 0);
}

class QtDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(platform::qt::EnsureApplication()); }
};

TEST_F(QtDialogTest, EachControlMirrorsTheDialogManagersState) {
  struct Case {
    const char* what;
    Step change;  // Win32 calls on the open dialog
    Step expect;  // what its widgets then show
  };
  const std::vector<Case> cases = {
      {"check box", [](HWND d) { CheckDlgButton(d, kCheck, BST_CHECKED); },
       [](HWND d) { EXPECT_TRUE(As<QCheckBox>(d, kCheck)->isChecked()); }},
      {"sorted combo in the manager's order",
       [](HWND d) {
         FillLists(d);
         Send(d, kCombo, CB_SETCURSEL, 2);
       },
       [](HWND d) {
         EXPECT_EQ(Entries(As<QComboBox>(d, kCombo)), QStringList({"Blind", "Slide", "Wipe"}));
         EXPECT_EQ(As<QComboBox>(d, kCombo)->currentText(), "Wipe");
       }},
      {"list entries and selection",
       [](HWND d) {
         FillLists(d);
         Send(d, kList, LB_INSERTSTRING, 0, "sea\t/pictures/sea.jpg");
         Send(d, kList, LB_SETCURSEL, 2);
       },
       [](HWND d) {
         const QListWidget* list = As<QListWidget>(d, kList);
         ASSERT_EQ(list->count(), 3);
         EXPECT_EQ(list->item(0)->text(), "sea\t/pictures/sea.jpg");
         EXPECT_EQ(list->currentRow(), 2);
       }},
      {"list entries laid out at the tab stops",
       [](HWND d) {
         FillLists(d);
         const std::array<int, 1> stops{120};
         SendDlgItemMessageA(d, kList, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(stops.data()));
       },
       [](HWND d) {
         QListWidget* list = As<QListWidget>(d, kList);
         RECT stop{0, 0, 120, 0};
         MapDialogRect(d, &stop);
         // The path starts at the stop, so the entry is at least that wide.
         EXPECT_GE(list->visualItemRect(list->item(0)).width(), static_cast<int>(stop.right));
       }},
      {"edit text", [](HWND d) { SetDlgItemTextA(d, kEdit, "42"); },
       [](HWND d) { EXPECT_EQ(As<QLineEdit>(d, kEdit)->text(), "42"); }},
      {"label text", [](HWND d) { SetDlgItemTextA(d, kLabel, "Delay <b>(s)</b>:"); },
       [](HWND d) {
         const QLabel* label = As<QLabel>(d, kLabel);
         EXPECT_EQ(label->text(), "Delay <b>(s)</b>:");
         EXPECT_EQ(label->textFormat(), Qt::PlainText);
       }},
      {"caption", [](HWND d) { SetWindowTextA(d, "Renamed"); },
       [](HWND d) { EXPECT_EQ(Widget(d, 0)->windowTitle(), "Renamed"); }},
      {"disabled", [](HWND d) { EnableWindow(GetDlgItem(d, kEdit), FALSE); },
       [](HWND d) { EXPECT_FALSE(Widget(d, kEdit)->isEnabled()); }},
      {"hidden and shown",
       [](HWND d) {
         ShowWindow(GetDlgItem(d, kArea), SW_HIDE);
         ShowWindow(GetDlgItem(d, kCheck), SW_HIDE);
         ShowWindow(GetDlgItem(d, kCheck), SW_SHOW);
       },
       [](HWND d) {
         EXPECT_TRUE(Widget(d, kArea)->isHidden());
         EXPECT_TRUE(Widget(d, kCheck)->isVisible());
       }},
      {"default button", [](HWND) {},
       [](HWND d) {
         EXPECT_TRUE(As<QPushButton>(d, IDOK)->isDefault());
         EXPECT_FALSE(As<QPushButton>(d, kHelp)->isDefault());
         EXPECT_FALSE(As<QPushButton>(d, kHelp)->autoDefault());
         EXPECT_EQ(As<QGroupBox>(d, kGroup)->title(), " Settings ");
       }},
      {"unlabeled controls named after their labels", [](HWND) {},
       [](HWND d) {
         EXPECT_EQ(Widget(d, kEdit)->accessibleName(), "Grain Size:");
         EXPECT_EQ(Widget(d, kArea)->accessibleName(), "");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RunDialog(nullptr, {[&c](HWND d) {
                c.change(d);
                c.expect(d);
              }});
  }
}

TEST_F(QtDialogTest, UserActionsReachTheProcedureAsWin32Notifications) {
  auto command = [](int id, int code, int value = 0, std::string text = {}) {
    return Notification{WM_COMMAND, id, code, value, std::move(text)};
  };
  auto arrows = [](int delta) {
    return Notification{WM_NOTIFY, kArrows, static_cast<int>(UDN_DELTAPOS), delta, {}};
  };
  auto arrowButton = [](HWND d, int index) {
    return Widget(d, kArrows)->findChildren<QToolButton*>().at(index);
  };
  struct Case {
    const char* what;
    Step act;
    std::vector<Notification> expected;
  };
  const std::vector<Case> cases = {
      {"check box clicked",
       [](HWND d) { As<QCheckBox>(d, kCheck)->click(); },
       {command(kCheck, BN_CLICKED, 1)}},
      {"check box by Space",
       [](HWND d) { QTest::keyClick(Widget(d, kCheck), Qt::Key_Space); },
       {command(kCheck, BN_CLICKED, 1)}},
      {"push button clicked",
       [](HWND d) { As<QPushButton>(d, kHelp)->click(); },
       {command(kHelp, BN_CLICKED)}},
      {"combo entry chosen",
       [](HWND d) { QTest::keyClick(Widget(d, kCombo), Qt::Key_Down); },
       {command(kCombo, CBN_SELCHANGE, 1)}},
      {"list entry clicked",
       [](HWND d) {
         QListWidget* list = As<QListWidget>(d, kList);
         QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                           list->visualItemRect(list->item(1)).center());
       },
       {command(kList, LBN_SELCHANGE, 1)}},
      {"field typed into",
       [](HWND d) { QTest::keyClicks(Widget(d, kEdit), "12"); },
       {command(kEdit, EN_CHANGE, 0, "1"), command(kEdit, EN_CHANGE, 0, "12")}},
      {"upper arrow", [&](HWND d) { arrowButton(d, 0)->click(); }, {arrows(-1)}},
      {"lower arrow", [&](HWND d) { arrowButton(d, 1)->click(); }, {arrows(1)}},
      {"Up and Down keys on the arrows",
       [](HWND d) {
         QTest::keyClick(Widget(d, kArrows), Qt::Key_Up);
         QTest::keyClick(Widget(d, kArrows), Qt::Key_Down);
       },
       {arrows(-1), arrows(1)}},
      {"Return in a field presses the default button",
       [](HWND d) { QTest::keyClick(Widget(d, kEdit), Qt::Key_Return); },
       {command(IDOK, BN_CLICKED)}},
      {"Return on a push button presses that button",
       [](HWND d) { QTest::keyClick(Widget(d, kHelp), Qt::Key_Return); },
       {command(kHelp, BN_CLICKED)}},
      {"Escape cancels",
       [](HWND d) { QTest::keyClick(Widget(d, kList), Qt::Key_Escape); },
       {command(IDCANCEL, BN_CLICKED)}},
      {"F1 asks for help",
       [](HWND d) { QTest::keyClick(Widget(d, kCombo), Qt::Key_F1); },
       {Notification{WM_HELP, 0, 0, 0, {}}}},
      {"close box cancels", [](HWND d) { Widget(d, 0)->close(); }, {command(IDCANCEL, BN_CLICKED)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RunDialog(FillLists, {c.act}), c.expected);
  }
}

TEST_F(QtDialogTest, ControlsSitWhereMapDialogRectPutsThem) {
  RunDialog(nullptr, {[](HWND d) {
              struct Case {
                int id;
                RECT units;
              };
              for (const Case& c : {Case{kCheck, {10, 10, 70, 20}}, Case{kEdit, {54, 84, 74, 96}},
                                    Case{kList, {10, 40, 110, 80}}, Case{IDOK, {180, 8, 220, 22}},
                                    Case{kArea, {130, 40, 170, 80}}}) {
                SCOPED_TRACE(c.id);
                RECT pixels = c.units;
                ASSERT_TRUE(MapDialogRect(d, &pixels));
                EXPECT_EQ(Widget(d, c.id)->geometry(),
                          QRect(QPoint(pixels.left, pixels.top),
                                QPoint(pixels.right - 1, pixels.bottom - 1)));
              }
              RECT client{0, 0, 228, 100};
              MapDialogRect(d, &client);
              EXPECT_EQ(Widget(d, 0)->size(), QSize(client.right, client.bottom));
            }});
}

// Also run with QT_SCALE_FACTOR set (see CMakeLists.txt): the window is measured in Qt's
// logical pixels, the screen in the device pixels that GetSystemMetrics reports.
TEST_F(QtDialogTest, DsCenterPutsTheDialogInTheMiddleOfTheScreenAtAnyScale) {
  RunDialog(nullptr, {[](HWND d) {
              const QWidget* window = Widget(d, 0);
              const qreal ratio = window->devicePixelRatioF();
              // The place is the whole window's, the size the client area's, as in a template.
              const qreal left = window->pos().x() * ratio;
              const qreal top = window->pos().y() * ratio;
              const qreal width = window->width() * ratio;
              const qreal height = window->height() * ratio;
              SCOPED_TRACE(::testing::Message() << "device pixel ratio " << ratio);
              EXPECT_NEAR(left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, ratio);
              EXPECT_NEAR(top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2, ratio);
            }});
}

TEST_F(QtDialogTest, TabVisitsTheTabStopControlsInTemplateOrder) {
  RunDialog(nullptr, {[](HWND d) {
              std::vector<QWidget*> visited;
              QWidget* first = Widget(d, kCheck);
              QWidget* widget = first;
              do {
                if ((widget->focusPolicy() & Qt::TabFocus) != 0) visited.push_back(widget);
                widget = widget->nextInFocusChain();
              } while (widget != first);
              const std::vector<QWidget*> expected = {Widget(d, kCheck), Widget(d, kCombo),
                                                      Widget(d, kEdit),  Widget(d, kList),
                                                      Widget(d, IDOK),   Widget(d, kHelp)};
              EXPECT_EQ(visited, expected);
            }});
}

TEST_F(QtDialogTest, DrawingOnAnAreaFillsExactlyTheInsideOfItsBorder) {
  RunDialog(nullptr, {[](HWND d) {
              HWND area = GetDlgItem(d, kArea);
              const QRect whole = Widget(d, kArea)->rect();
              const QPoint middle = whole.center();
              EXPECT_NE(Widget(d, kArea)->grab().toImage().pixel(middle), qRgb(255, 255, 255));
              // The client area is the widget less its one-pixel WS_BORDER on each side.
              RECT client{};
              GetClientRect(area, &client);
              EXPECT_EQ(client.right, whole.width() - 2);
              EXPECT_EQ(client.bottom, whole.height() - 2);
              HDC dc = GetDC(area);
              FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
              ReleaseDC(area, dc);
              const QImage drawn = Widget(d, kArea)->grab().toImage();
              EXPECT_EQ(drawn.pixel(middle), qRgb(255, 255, 255));
              EXPECT_EQ(drawn.pixel(1, 1), qRgb(255, 255, 255));
              EXPECT_EQ(drawn.pixel(whole.width() - 2, whole.height() - 2), qRgb(255, 255, 255));
              EXPECT_NE(drawn.pixel(0, 0), qRgb(255, 255, 255));
              // Erasing brings back the dialog's face.
              InvalidateRect(area, nullptr, TRUE);
              UpdateWindow(area);
              EXPECT_EQ(Widget(d, kArea)->grab().toImage().pixel(middle) & 0xFFFFFFU,
                        Widget(d, 0)->palette().color(QPalette::Window).rgb() & 0xFFFFFFU);
            }});
}

tavrin_test::Picture PictureOf(const QImage& image) {
  const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
  tavrin_test::Picture picture{pixels.width(), pixels.height(), {}};
  for (int y = 0; y < pixels.height(); ++y) {
    for (int x = 0; x < pixels.width(); ++x) picture.pixels.push_back(pixels.pixel(x, y));
  }
  return picture;
}

TEST_F(QtDialogTest, AGroupBoxFrameIsAtItsRectangleWithTheTitleOnItsTopLine) {
  RunDialog(
      nullptr, {[](HWND d) {
        QWidget* window = Widget(d, 0);
        const QRect place = Widget(d, kGroup)->geometry();
        EXPECT_TRUE(tavrin_test::GroupFrameAt(
            PictureOf(window->grab().toImage()),
            {place.left(), place.top(), place.right() + 1, place.bottom() + 1},
            window->fontMetrics().height(), window->palette().color(QPalette::Window).rgb(), 1));
      }});
}

// Box and text are drawn whole in a check box of its template's size: given more room, the
// same picture shows, moved down by half the extra height, and nothing else. (Without the
// focus: a style's focus cue is smoothed differently at another height.)
TEST_F(QtDialogTest, ACheckBoxOfItsTemplateSizeShowsItsBoxAndTextWhole) {
  struct Case {
    const char* text;
    int width;
    int height;
  };
  // The check boxes of the settings dialog.
  const std::vector<Case> cases = {
      {"Preview", 38, 8},
      {"Random Images", 72, 10},
      {"Random Sound Clips", 94, 10},
      {"Horizontal", 48, 10},
      {"Up", 35, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    RunDialog(nullptr, {[&c](HWND d) {
                SetDlgItemTextA(d, kCheck, c.text);
                RECT size{0, 0, c.width, c.height};
                MapDialogRect(d, &size);
                QWidget* box = Widget(d, kCheck);
                box->clearFocus();
                const QSize exact(size.right, size.bottom);
                box->resize(exact);
                const QImage fitted = box->grab().toImage();
                box->resize(exact + QSize(40, 2));
                const QImage roomy = box->grab().toImage();
                const QRect same(QPoint(0, 1), exact);
                EXPECT_TRUE(roomy.copy(same) == fitted)
                    << "the picture changes with more room: the template's size cuts it";
                const QRgb blank = roomy.pixel(roomy.width() - 1, 0);
                int outside = 0;
                for (int y = 0; y < roomy.height(); ++y) {
                  for (int x = 0; x < roomy.width(); ++x) {
                    if (!same.contains(x, y) && roomy.pixel(x, y) != blank) ++outside;
                  }
                }
                EXPECT_EQ(outside, 0) << "pixels drawn beyond the template's size";
              }});
  }
}

// The first control has the focus when the dialog opens, and shows it.
TEST_F(QtDialogTest, TheFocusedControlShowsTheFocusCueWhenTheDialogOpens) {
  RunDialog(nullptr, {[](HWND d) {
              QWidget* first = Widget(d, kCheck);
              ASSERT_TRUE(first->hasFocus());
              const QImage focused = first->grab().toImage();
              first->clearFocus();
              EXPECT_FALSE(first->grab().toImage() == focused)
                  << "the focused control looks as it does without the focus";
            }});
}

}  // namespace
}  // namespace qt_dialog_test
