#include "platform/qt/dialog_font.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QString>
#include <QStringList>

namespace platform::qt {
namespace {

constexpr int kDefaultPointSize = 8;

// Rounds half away from zero, as Win32's MulDiv does.
int MulDiv(int number, int numerator, int denominator) {
  const long long product = static_cast<long long>(number) * numerator;
  const long long half = denominator / 2;
  const long long rounded =
      product >= 0 ? (product + half) / denominator : (product - half) / denominator;
  return static_cast<int>(rounded);
}

}  // namespace

QFont DialogFont(const char* face, int pointSize) {
  const int size = pointSize > 0 ? pointSize : kDefaultPointSize;
  const QString family = face != nullptr ? QString::fromLocal8Bit(face) : QString();
  // Font matching would hand back some substitute for a missing face, with other metrics on
  // every machine; the system's sans font is at least the one the rest of the desktop uses.
  if (!family.isEmpty() && QFontDatabase::families().contains(family, Qt::CaseInsensitive)) {
    return QFont(family, size);
  }
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setPointSize(size);
  return font;
}

BaseUnits MeasureBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int alphabet = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return BaseUnits{(alphabet / 26 + 1) / 2, metrics.height()};
}

int HorizontalPixels(int dialogUnits, const BaseUnits& units) {
  return MulDiv(dialogUnits, units.x, 4);
}

}  // namespace platform::qt
