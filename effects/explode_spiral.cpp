// Explode: frames closing in from the border, or a square growing from the centre.
// Spiral: grain-sized cells laid one at a time along a clockwise rectangular spiral.
//
// Every piece goes to its own place. Positions are kept in 64 bits: the grain is only bounded
// below, and a grain near the largest int would otherwise wrap a far-away piece onto the picture.
#include "effects/effect_routines.h"
#include "effects/engine.h"
#include "effects/picture_copy.h"

namespace {

using Position = long long;

// The picture's pixels (x, y, width, height) onto their own place.
void Piece(Position x, Position y, Position width, Position height) {
  const TransitionContextRecord& c = TransitionContext;
  CopyPicture(c.TargetX + x, c.TargetY + y, width, height, x, y);
}

// One spiral cell, then its pace step; false when input ends the effect.
bool Cell(Position x, Position y, int grain) {
  Piece(x, y, grain, grain);
  return PaceStep() == 0;
}

// The pen that walks the spiral: each run starts from the coordinate across it that the
// previous run left behind, which is why some cells are laid twice.
struct Pen {
  Position x;
  Position y;
  int grain;

  // `count` cells along the pen's row from `fromX`, stepping by `step`; leaves the pen on the
  // last of them.
  bool Across(Position fromX, Position step, Position count) {
    for (Position k = 0; k < count; ++k) {
      x = fromX + k * step;
      if (!Cell(x, y, grain)) return false;
    }
    return true;
  }
  // The same down or up the pen's column.
  bool Along(Position fromY, Position step, Position count) {
    for (Position k = 0; k < count; ++k) {
      y = fromY + k * step;
      if (!Cell(x, y, grain)) return false;
    }
    return true;
  }
};

}  // namespace

void ExplodeIn(int grain) {
  const TransitionContextRecord& c = TransitionContext;
  const Position g = grain;
  Position inset = 0;
  Position right = c.TargetWidth - g;
  Position bottom = c.TargetHeight - g;
  Position width = c.TargetWidth;
  Position height = c.TargetHeight;
  // The sides of the last frame meet or overlap, which covers the centre.
  while (width > 0 && height > 0) {
    Piece(inset, inset, g, height);
    Piece(right, inset, g, height);
    Piece(inset, inset, width, g);
    Piece(inset, bottom, width, g);
    if (PaceStep() > 0) return;
    inset += g;
    right -= g;
    bottom -= g;
    width -= 2 * g;
    height -= 2 * g;
  }
}

void ExplodeOut(int grain) {
  const TransitionContextRecord& c = TransitionContext;
  const Position g = grain;
  const Position column = CeilDiv(c.TargetWidth, grain) / 2;
  const Position row = CeilDiv(c.TargetHeight, grain) / 2;
  // The whole square is copied again each step; it grows while either its left or its top edge
  // is still inside the picture, so the last one covers the target.
  for (Position i = 0;; ++i) {
    const Position x = g * (column - i);
    const Position y = g * (row - i);
    if (x < 0 && y < 0) return;
    const Position side = (2 * i + 2) * g;
    Piece(x, y, side, side);
    if (PaceStep() > 0) return;
  }
}

void SpiralIn(int grain) {
  const TransitionContextRecord& c = TransitionContext;
  const Position g = grain;
  const Position columns = CeilDiv(c.TargetWidth, grain);
  const Position rows = CeilDiv(c.TargetHeight, grain);
  // The lap's left column and top row, and one past its right column and bottom row.
  Position left = 0, top = 0, right = columns, bottom = rows;
  // Where each run of the lap starts; the bottom and left runs start one cell outside the lap.
  Position topStart = 0, rightStart = 0, bottomStart = columns * g, leftStart = rows * g;
  Pen pen{0, 0, grain};
  while (right > left || bottom > top) {
    if (right > left && !pen.Across(topStart, g, right - left)) return;
    if (bottom > top && !pen.Along(rightStart, g, bottom - top)) return;
    if (right >= left && !pen.Across(bottomStart, -g, right - left + 1)) return;
    if (bottom >= top && !pen.Along(leftStart, -g, bottom - top + 1)) return;
    ++left, ++top, --right, --bottom;
    topStart += g, rightStart += g, bottomStart -= g, leftStart -= g;
  }
}

void SpiralOut(int grain) {
  const TransitionContextRecord& c = TransitionContext;
  const Position g = grain;
  // The lap's left column and top row, and one past its right column and bottom row.
  Position left = CeilDiv(c.TargetWidth, grain) / 2;
  Position top = CeilDiv(c.TargetHeight, grain) / 2;
  Position right = left + 2, bottom = top + 2;
  Position topStart = g * left, rightStart = g * top;
  Pen pen{g * left, g * top, grain};
  // Laps go on until the spiral has passed both the left and the top edge, so the right and
  // bottom edges, which it reaches no later, are covered too.
  for (;;) {
    if (right > left && !pen.Across(topStart, g, right - left)) return;
    if (bottom > top && !pen.Along(rightStart, g, bottom - top)) return;
    topStart -= g, --left;
    if (left < right && !pen.Across(g * (right - 1), -g, right - left)) return;
    rightStart -= g, --top;
    if (top < bottom && !pen.Along(g * (bottom - 1), -g, bottom - top)) return;
    ++right, ++bottom;
    if (left < 0 && top < 0) return;
  }
}
