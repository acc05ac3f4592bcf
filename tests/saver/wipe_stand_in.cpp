// A paced Wipe for the saver's tests, standing in for the effect group until it is built: one
// grain-wide column a step, a PaceStep after each, stopping at the first input.
#include "effects/effect_routines.h"
#include "effects/engine.h"

void WipeRight(int grain) {
  const TransitionContextRecord& c = TransitionContext;
  for (int x = 0; x < c.TargetWidth; x += grain) {
    BitBlt(c.DestDC, c.TargetX + x, c.TargetY, grain, c.TargetHeight, c.SourceDC, x, 0, SRCCOPY);
    if (PaceStep() != 0) return;
  }
}
void WipeLeft(int /*grain*/) {}
void WipeUp(int /*grain*/) {}
void WipeDown(int /*grain*/) {}
void CrushVertical(int /*grain*/) {}
void CrushHorizontal(int /*grain*/) {}
void InterleaveHorizontal(int /*grain*/) {}
void InterleaveVertical(int /*grain*/) {}
