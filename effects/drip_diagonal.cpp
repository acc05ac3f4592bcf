// Drip: strips of the picture smeared from an edge to their own place, bottom strip first.
// Diagonal: a corner-anchored rectangle of the picture grown in `grain` equal steps.
#include "effects/effect_routines.h"
#include "effects/engine.h"
#include "effects/picture_copy.h"

namespace {

// The strip count n and the strip height s: s evens the strips out, so n x s >= H with at most
// n - 1 rows of the last real strip below the picture.
struct DripStrips {
  int count;
  int height;
};

DripStrips StripsOf(int grain) {
  const int count = CeilDiv(TransitionContext.TargetHeight, grain);
  return {count, CeilDiv(TransitionContext.TargetHeight, count)};
}

// Source strip `strip` onto strip place `place`; false when input ends the effect. Strip n lies
// wholly below the picture and draws nothing, but is paced all the same: the pause before the
// first visible strip.
bool DripCopy(const DripStrips& strips, int strip, int place) {
  const TransitionContextRecord& c = TransitionContext;
  const long long height = strips.height;
  CopyPicture(c.TargetX, c.TargetY + place * height, c.TargetWidth, height, 0, strip * height);
  return PaceStep() == 0;
}

// The growth per step of the Diagonal rectangle; after the last step it covers the picture.
struct DiagonalGrowth {
  long long x;
  long long y;
};

DiagonalGrowth GrowthOf(int steps) {
  return {CeilDiv(TransitionContext.TargetWidth, steps),
          CeilDiv(TransitionContext.TargetHeight, steps)};
}

// Step k's rectangle, anchored at the left or right and the top or bottom edge of the
// picture; past the far edge it reaches outside the picture and is clipped there.
bool DiagonalCopy(long long width, long long height, bool fromRight, bool fromBottom) {
  const TransitionContextRecord& c = TransitionContext;
  const long long sourceX = fromRight ? c.TargetWidth - width : 0;
  const long long sourceY = fromBottom ? c.TargetHeight - height : 0;
  CopyPicture(c.TargetX + sourceX, c.TargetY + sourceY, width, height, sourceX, sourceY);
  return PaceStep() == 0;
}

void RunDiagonal(int steps, bool fromRight, bool fromBottom) {
  const DiagonalGrowth growth = GrowthOf(steps);
  // Every step copies the whole grown rectangle again, not just the newly uncovered band.
  for (long long step = 1; step <= steps; ++step) {
    if (!DiagonalCopy(step * growth.x, step * growth.y, fromRight, fromBottom)) return;
  }
}

}  // namespace

void DripDown(int grain) {
  const DripStrips strips = StripsOf(grain);
  for (int strip = strips.count; strip >= 0; --strip) {
    for (int place = 0; place <= strip; ++place) {
      if (!DripCopy(strips, strip, place)) return;
    }
  }
}

void DripUp(int grain) {
  const DripStrips strips = StripsOf(grain);
  for (int strip = strips.count; strip >= 0; --strip) {
    for (int place = strip; place >= 0; --place) {
      if (!DripCopy(strips, strip, place)) return;
    }
  }
}

void DiagonalDownRight(int grain) {
  RunDiagonal(grain, false, false);
}
void DiagonalDownLeft(int grain) {
  RunDiagonal(grain, true, false);
}
void DiagonalUpRight(int grain) {
  RunDiagonal(grain, false, true);
}
void DiagonalUpLeft(int grain) {
  RunDiagonal(grain, true, true);
}
