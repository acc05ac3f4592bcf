// The dialog font: the face and size a dialog template names, and the base units that turn
// its dialog units into pixels.
#pragma once

#include <QFont>

namespace platform::qt {

struct BaseUnits {
  int x = 0;  // the average character width
  int y = 0;  // the character height
};

// The template's face at its point size; the system's sans-serif font at that size when the
// face is not installed (as "MS Sans Serif" and "Helv" never are on Linux).
QFont DialogFont(const char* face, int pointSize);

// Win32's base units of a font: x = (width of "A".."Z" "a".."z" / 26 + 1) / 2, y = the font's
// height, in logical pixels.
BaseUnits MeasureBaseUnits(const QFont& font);

// Horizontal dialog units to pixels, rounded as MulDiv rounds (list-box tab stops).
int HorizontalPixels(int dialogUnits, const BaseUnits& units);

}  // namespace platform::qt
