// These routines draw nothing yet: they arrive with the effects.
#include "effects/effect_routines.h"

void SlideRight(int /*grain*/) {}
void SlideLeft(int /*grain*/) {}
void SlideDown(int /*grain*/) {}
void SlideUp(int /*grain*/) {}
void QuadSlideIn(int /*grain*/) {}
void QuadSlideOut(int /*grain*/) {}
