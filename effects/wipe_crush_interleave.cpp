// These routines draw nothing yet: they arrive with the effects.
#include "effects/effect_routines.h"

void WipeRight(int /*grain*/) {}
void WipeLeft(int /*grain*/) {}
void WipeUp(int /*grain*/) {}
void WipeDown(int /*grain*/) {}
void CrushVertical(int /*grain*/) {}
void CrushHorizontal(int /*grain*/) {}
void InterleaveHorizontal(int /*grain*/) {}
void InterleaveVertical(int /*grain*/) {}
