// Band effects: the picture is laid down in full-width rows or full-height columns, one grain
// thick, each band copied onto its own place.
//
// Band positions are kept in 64 bits: the grain is only bounded below, and a grain near the
// largest int would otherwise overflow the cursors (the band then lies far outside the window
// and draws nothing, which the saturated coordinate keeps true).
#include <climits>

#include "effects/effect_routines.h"
#include "effects/engine.h"

namespace {

using Position = long long;

int Saturate(Position value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// The picture's columns u .. u + grain - 1, onto their own place.
void ColumnBand(Position u, int grain) {
  const TransitionContextRecord& c = TransitionContext;
  BitBlt(c.DestDC, Saturate(c.TargetX + u), c.TargetY, grain, c.TargetHeight, c.SourceDC,
         Saturate(u), 0, SRCCOPY);
}

// The picture's rows v .. v + grain - 1, onto their own place.
void RowBand(Position v, int grain) {
  const TransitionContextRecord& c = TransitionContext;
  BitBlt(c.DestDC, c.TargetX, Saturate(c.TargetY + v), c.TargetWidth, grain, c.SourceDC, 0,
         Saturate(v), SRCCOPY);
}

// Where the odd bands of an interleave start: the last odd band of the picture, or the odd band
// just beyond it.
Position InterleaveFarStart(int size, int grain) {
  const Position q = size / grain;
  const bool exact = q * grain == size;
  if (exact) return q % 2 == 0 ? size - Position{grain} : Position{size};
  return q % 2 == 0 ? (q + 1) * grain : q * grain;
}

}  // namespace

void WipeRight(int grain) {
  const int bands = CeilDiv(TransitionContext.TargetWidth, grain);
  for (int k = 0; k < bands; ++k) {
    ColumnBand(Position{k} * grain, grain);
    if (PaceStep() != 0) return;
  }
}

void WipeLeft(int grain) {
  for (int k = CeilDiv(TransitionContext.TargetWidth, grain) - 1; k >= 0; --k) {
    ColumnBand(Position{k} * grain, grain);
    if (PaceStep() != 0) return;
  }
}

// Measured from the bottom edge: the first band lies just below the picture and the last may
// start above it, so there is one band more than the picture holds.
void WipeUp(int grain) {
  const int height = TransitionContext.TargetHeight;
  const int bands = CeilDiv(height, grain);
  for (int k = 0; k <= bands; ++k) {
    RowBand(height - Position{k} * grain, grain);
    if (PaceStep() != 0) return;
  }
}

void WipeDown(int grain) {
  for (Position v = 0; v < TransitionContext.TargetHeight; v += grain) {
    RowBand(v, grain);
    if (PaceStep() != 0) return;
  }
}

// The right side starts just beyond the picture, one band behind the left; the loop ends only
// once both sides are well past the middle.
void CrushVertical(int grain) {
  const TransitionContextRecord& c = TransitionContext;
  const Position x = c.TargetX;
  const Position width = c.TargetWidth;
  const Position half = width / 2;
  for (Position k = 0;; ++k) {
    const Position step = k * grain;
    if (x + step > x + half + grain && x + width - step < x + half - grain) return;
    ColumnBand(step, grain);
    ColumnBand(width - step, grain);
    if (PaceStep() != 0) return;
  }
}

// Unlike the columns, the rows end as soon as either side is past the middle.
void CrushHorizontal(int grain) {
  const TransitionContextRecord& c = TransitionContext;
  const Position y = c.TargetY;
  const Position height = c.TargetHeight;
  const Position half = height / 2;
  for (Position k = 0;; ++k) {
    const Position step = k * grain;
    if (y + height - step <= y + half - grain || y + step >= y + half + grain) return;
    RowBand(step, grain);
    RowBand(height - step, grain);
    if (PaceStep() != 0) return;
  }
}

void InterleaveHorizontal(int grain) {
  Position top = 0;
  Position bottom = InterleaveFarStart(TransitionContext.TargetHeight, grain);
  while (bottom >= 1) {
    RowBand(top, grain);
    RowBand(bottom, grain);
    top += 2 * Position{grain};
    bottom -= 2 * Position{grain};
    if (PaceStep() != 0) return;
  }
}

void InterleaveVertical(int grain) {
  const int width = TransitionContext.TargetWidth;
  Position left = 0;
  Position right = InterleaveFarStart(width, grain);
  while (left < width) {
    ColumnBand(left, grain);
    ColumnBand(right, grain);
    left += 2 * Position{grain};
    right -= 2 * Position{grain};
    if (PaceStep() != 0) return;
  }
}
