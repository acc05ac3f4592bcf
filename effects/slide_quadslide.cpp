// Slide and Quad Slide: the picture, whole or in quarters, travels onto the target from its
// edges or its centre lines, one grain further each step. Every copy is unscaled.
//
// Distances are kept in 64 bits: the grain is only bounded below, and a hand-edited grain near
// the largest int would otherwise wrap a step length that lies far beyond the picture.
#include <algorithm>

#include "effects/effect_routines.h"
#include "effects/engine.h"
#include "effects/picture_copy.h"

namespace {

using Length = long long;

// A block of the picture at (sx, sy) onto (dx, dy) of the target.
void CopyToTarget(Length dx, Length dy, Length width, Length height, Length sx, Length sy) {
  CopyPicture(TransitionContext.TargetX + dx, TransitionContext.TargetY + dy, width, height, sx,
              sy);
}

// How many grains cover the extent, never fewer than one whole grain before rounding up: an
// extent smaller than the grain takes two.
int StepsToCover(int extent, int grain) {
  int steps = extent / grain;
  if (steps < 1) steps = 1;
  if (Length{steps} * grain != extent) ++steps;
  return steps;
}

enum class SlideAxis { Horizontal, Vertical };

// The strip grows from 0 to the whole picture; `fromFar` says whether it is the picture's far
// edge (right or bottom) that appears first.
void Slide(int grain, SlideAxis axis, bool fromFar) {
  const int width = TransitionContext.TargetWidth;
  const int height = TransitionContext.TargetHeight;
  const int extent = axis == SlideAxis::Horizontal ? width : height;
  const int steps = StepsToCover(extent, grain);
  for (int i = 0; i <= steps; ++i) {
    const Length d = Length{i} * grain;
    const Length rest = std::max<Length>(extent - d, 0);
    if (axis == SlideAxis::Horizontal) {
      if (fromFar) {
        CopyToTarget(0, 0, d, height, rest, 0);
      } else {
        CopyToTarget(rest, 0, d, height, 0, 0);
      }
    } else if (fromFar) {
      CopyToTarget(0, 0, width, d, 0, rest);
    } else {
      CopyToTarget(0, rest, width, d, 0, 0);
    }
    if (PaceStep() > 0) return;
  }
}

// What every Quad Slide pass shares: the halves and each quarter's progress. A quarter is
// finished once its progress reaches its own bound, and is then no longer copied.
struct QuadRun {
  int width;
  int height;
  Length halfWidth;
  Length halfHeight;
  Length bottomHalf;   // the lower half's rows: one more than the upper for an odd height
  Length topLeft;      // finished at 0
  Length bottomRight;  // finished at the width
  Length topRight;     // finished at 0
  Length bottomLeft;   // finished at the height
  int passes;
};

QuadRun StartQuadRun(int grain) {
  QuadRun run{};
  run.width = TransitionContext.TargetWidth;
  run.height = TransitionContext.TargetHeight;
  run.halfWidth = run.width / 2;
  run.halfHeight = run.height / 2;
  run.bottomHalf = run.height - run.halfHeight;
  run.topLeft = run.halfWidth + 1;
  run.bottomRight = run.halfWidth - 1;
  run.topRight = run.halfHeight + 1;
  run.bottomLeft = run.halfHeight - 1;
  const int larger = std::max(run.width, run.height);
  run.passes = (StepsToCover(larger, grain) + 1) / 2 + 2;
  return run;
}

// Each quarter's step length starts from the one the quarter before it left in the same pass;
// that chaining is what makes the quarters meet.
void QuadPass(QuadRun& run, Length d, bool in) {
  const Length hw = run.halfWidth;
  const Length hh = run.halfHeight;
  const Length hb = run.bottomHalf;
  const Length width = run.width;
  const Length height = run.height;
  Length s = d;
  if (run.topLeft > 0) {
    run.topLeft = std::max<Length>(hw - d, 0);
    if (d >= hw) s = hw + 1;
    if (in) {
      CopyToTarget(0, 0, s, hh + 1, run.topLeft, 0);
    } else {
      CopyToTarget(run.topLeft, 0, s, hh, 0, 0);
    }
  }
  if (run.bottomRight < width) {
    run.bottomRight = hw + s;
    if (s >= hw) s = !in && 2 * hw != width ? hw + 1 : hw;
    if (in) {
      CopyToTarget(width - s, hb - 1, s, hb + 1, width - hw, hb - 1);
    } else {
      CopyToTarget(hw, hb, s, hb, width - s, hb);
    }
  }
  if (run.topRight > 0) {
    run.topRight = std::max<Length>(hh - s, 0);
    if (s >= hh) s = hh + 1;
    if (in) {
      CopyToTarget(width - hw, 0, hw, s, width - hw, run.topRight);
    } else {
      CopyToTarget(width - hw, run.topRight, hw, s, width - hw, 0);
    }
  }
  if (run.bottomLeft < height) {
    run.bottomLeft = std::min(hh + s, height);
    if (s >= hh) s = !in && 2 * hh != height ? hh + 1 : hh;
    if (in) {
      CopyToTarget(0, height - s, hw + 1, s, 0, hb);
    } else {
      CopyToTarget(0, hh, hw + 1, s, 0, height - s);
    }
  }
}

void QuadSlide(int grain, bool in) {
  QuadRun run = StartQuadRun(grain);
  for (int i = 0; i < run.passes; ++i) {
    QuadPass(run, Length{i} * grain, in);
    if (PaceStep() > 0) return;
  }
}

}  // namespace

void SlideRight(int grain) {
  Slide(grain, SlideAxis::Horizontal, true);
}
void SlideLeft(int grain) {
  Slide(grain, SlideAxis::Horizontal, false);
}
void SlideDown(int grain) {
  Slide(grain, SlideAxis::Vertical, true);
}
void SlideUp(int grain) {
  Slide(grain, SlideAxis::Vertical, false);
}
void QuadSlideIn(int grain) {
  QuadSlide(grain, true);
}
void QuadSlideOut(int grain) {
  QuadSlide(grain, false);
}
