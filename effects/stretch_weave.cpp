// These routines draw nothing yet: they arrive with the effects.
#include "effects/effect_routines.h"

void StretchRight(int /*grain*/) {}
void StretchLeft(int /*grain*/) {}
void StretchUp(int /*grain*/) {}
void StretchDown(int /*grain*/) {}
void WeaveVertical(int /*grain*/, int /*grainAgain*/) {}
void WeaveHorizontal(int /*grain*/, int /*grainAgain*/) {}
