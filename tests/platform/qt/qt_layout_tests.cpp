// The layout rules of the Qt view: dialog fonts and base units, list-box tab stops, and the
// labels that name unlabeled controls.
#include <gtest/gtest.h>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

#include <string>
#include <vector>

#include "platform/qt/accessible_names.h"
#include "platform/qt/dialog_font.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/tab_stops.h"

namespace {

using platform::ControlKind;
using platform::ControlSnapshot;
using platform::qt::BaseUnits;

class QtLayoutTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(platform::qt::EnsureApplication()); }
};

TEST_F(QtLayoutTest, DialogFontIsTheTemplateFaceOrTheSystemSansAtTheTemplateSize) {
  const QString systemFamily = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  struct Case {
    const char* face;
    int pointSize;
    QString family;
    int expectedPointSize;
  };
  const std::vector<Case> cases = {
      {"MS Sans Serif", 8, systemFamily, 8},
      {"Helv", 10, systemFamily, 10},
      {nullptr, 8, systemFamily, 8},
      {"DejaVu Serif", 9, QStringLiteral("DejaVu Serif"), 9},
      {"DejaVu Sans", 0, QStringLiteral("DejaVu Sans"), 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.face != nullptr ? c.face : "(no face)");
    const QFont font = platform::qt::DialogFont(c.face, c.pointSize);
    EXPECT_EQ(font.family(), c.family);
    EXPECT_EQ(font.pointSize(), c.expectedPointSize);
  }
}

TEST_F(QtLayoutTest, BaseUnitsOfAMonospacedFontAreItsAdvanceAndHeight) {
  const QFont font(QStringLiteral("DejaVu Sans Mono"), 10);
  ASSERT_TRUE(QFontInfo(font).fixedPitch());
  const QFontMetrics metrics(font);
  const BaseUnits units = platform::qt::MeasureBaseUnits(font);
  EXPECT_EQ(units.x, metrics.horizontalAdvance(QLatin1Char('M')));
  EXPECT_EQ(units.y, metrics.height());
}

TEST(TabStopsTest, NextStopFollowsTheListsStopsThenTheDefaultStep) {
  const BaseUnits units{6, 13};
  struct Case {
    std::vector<int> dialogUnits;
    int x;
    int next;
  };
  const std::vector<Case> cases = {
      {{}, 0, 48},  // every 32 dialog units
      {{}, 47, 48},
      {{}, 48, 96},   // a stop where the text ends is passed
      {{20}, 0, 30},  // one value: every that many
      {{20}, 31, 60},
      {{105, 150}, 10, 158},  // MulDiv rounds 157.5 up
      {{105, 150}, 158, 225},
      {{150, 105}, 10, 158},   // in any order
      {{105, 150}, 230, 240},  // beyond the last: every 32 dialog units
      {{0}, 10, 10},           // no step: the text runs on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "stops " << c.dialogUnits.size() << " x " << c.x);
    EXPECT_EQ(platform::qt::NextTabStop(platform::qt::TabStopsFor(c.dialogUnits, units), c.x),
              c.next);
  }
}

ControlSnapshot Label(const std::string& text, RECT bounds) {
  ControlSnapshot label;
  label.kind = ControlKind::Label;
  label.text = text;
  label.bounds = bounds;
  return label;
}

TEST(AccessibleNamesTest, AControlIsNamedAfterTheNearestLabelLeftOfOrAboveIt) {
  // As in the settings dialog: a field with its label on the left, a list with one above and
  // one beside it, arrows under their label, an area with no label near.
  const std::vector<ControlSnapshot> labels = {
      Label("Grain Size:", RECT{321, 101, 375, 117}),
      Label("Set List", RECT{78, 215, 135, 228}),
      Label("Up/Down", RECT{24, 247, 72, 260}),
      Label("", RECT{0, 0, 500, 500}),
  };
  struct Case {
    const char* what;
    RECT control;
    const char* name;
  };
  const std::vector<Case> cases = {
      {"field", RECT{420, 98, 441, 117}, "Grain Size:"},
      {"list", RECT{78, 231, 252, 315}, "Set List"},
      {"arrows", RECT{36, 263, 53, 299}, "Up/Down"},
      {"far area", RECT{30, 335, 147, 462}, ""},
      {"label on the right", RECT{250, 98, 300, 117}, ""},
      {"label too far left", RECT{430, 98, 450, 117}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(platform::qt::NearestLabelText(c.control, labels, 48, 13).toStdString(), c.name);
  }
}

}  // namespace
