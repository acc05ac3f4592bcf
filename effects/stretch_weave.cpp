// Stretch and Weave: the whole picture squeezed into a strip that grows from one edge, and
// square cells laid in alternate columns (or rows) running towards each other.
//
// Positions are kept in 64 bits and saturated to int at the drawing call: the grain is only
// bounded below, so a hand-edited grain near the largest int must not wrap a strip or a cell
// back onto the picture.
#include <algorithm>
#include <climits>

#include "effects/effect_routines.h"
#include "effects/engine.h"
#include "effects/picture_copy.h"

namespace {

using Position = long long;

int Saturate(Position value) {
  return static_cast<int>(std::clamp<Position>(value, INT_MIN, INT_MAX));
}

// The whole picture scaled into (dx, dy, width, height) of the target. No stretch mode is set:
// the window DC's own one resamples, so each step costs one pass over the strip on screen.
void ScalePicture(Position dx, Position dy, Position width, Position height) {
  const TransitionContextRecord& c = TransitionContext;
  StretchBlt(c.DestDC, Saturate(c.TargetX + dx), Saturate(c.TargetY + dy), Saturate(width),
             Saturate(height), c.SourceDC, 0, 0, c.TargetWidth, c.TargetHeight, SRCCOPY);
}

// The picture's cell at (dx, dy), onto its own place.
void Cell(Position dx, Position dy, int width, int height) {
  const TransitionContextRecord& c = TransitionContext;
  CopyPicture(c.TargetX + dx, c.TargetY + dy, width, height, dx, dy);
}

// Which strip a "Stretch" step fills, given the strip's length along the growing axis.
using StripOf = void (*)(Position length);

// Steps 0 .. n with n = CeilDiv(extent, grain): the first strip is empty, the last reaches at
// least the far edge, so it is one to one exactly when the grain divides the extent.
void Stretch(int extent, int grain, StripOf strip) {
  const int steps = CeilDiv(extent, grain);
  for (Position i = 0; i <= steps; ++i) {
    strip(i * grain);
    if (PaceStep() > 0) return;
  }
}

}  // namespace

void StretchRight(int grain) {
  Stretch(TransitionContext.TargetWidth, grain,
          [](Position d) { ScalePicture(0, 0, d, TransitionContext.TargetHeight); });
}

void StretchLeft(int grain) {
  Stretch(TransitionContext.TargetWidth, grain, [](Position d) {
    ScalePicture(TransitionContext.TargetWidth - d, 0, d, TransitionContext.TargetHeight);
  });
}

void StretchUp(int grain) {
  Stretch(TransitionContext.TargetHeight, grain, [](Position d) {
    ScalePicture(0, TransitionContext.TargetHeight - d, TransitionContext.TargetWidth, d);
  });
}

void StretchDown(int grain) {
  Stretch(TransitionContext.TargetHeight, grain,
          [](Position d) { ScalePicture(0, 0, TransitionContext.TargetWidth, d); });
}

// The upward cells are aligned to the bottom edge, so the first lies wholly below the picture
// and, when the cell height does not divide it, the last reaches above the top: one row step
// more than the picture has rows covers both ends.
void WeaveVertical(int grain, int grainAgain) {
  const int cellWidth = grain;
  const int cellHeight = grainAgain;
  const int height = TransitionContext.TargetHeight;
  const int rows = CeilDiv(height, cellHeight);
  const Position pairs = (Position{CeilDiv(TransitionContext.TargetWidth, cellWidth)} + 2) / 2;
  for (Position j = 0; j <= rows; ++j) {
    const Position y = j * cellHeight;
    for (Position m = 0; m < pairs; ++m) {
      const Position x = 2 * Position{cellWidth} * m;
      Cell(x, y, cellWidth, cellHeight);
      Cell(x + cellWidth, height - y, cellWidth, cellHeight);
      if (PaceStep() > 0) return;
    }
  }
}

void WeaveHorizontal(int grain, int grainAgain) {
  const int cellWidth = grain;
  const int cellHeight = grainAgain;
  const int width = TransitionContext.TargetWidth;
  const int cols = CeilDiv(width, cellWidth);
  const Position pairs = (Position{CeilDiv(TransitionContext.TargetHeight, cellHeight)} + 2) / 2;
  for (Position i = 0; i <= cols; ++i) {
    const Position x = i * cellWidth;
    for (Position m = 0; m < pairs; ++m) {
      const Position y = 2 * Position{cellHeight} * m;
      Cell(x, y, cellWidth, cellHeight);
      Cell(width - x, y + cellHeight, cellWidth, cellHeight);
      if (PaceStep() > 0) return;
    }
  }
}
