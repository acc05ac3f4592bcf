// These routines draw nothing yet: they arrive with the effects.
#include "effects/effect_routines.h"

void BlindHorizontal(int /*grain*/) {}
void BlindVertical(int /*grain*/) {}
void SplitVertical(int /*grain*/) {}
void SplitHorizontal(int /*grain*/) {}
void CheckerboardUp(int /*grain*/) {}
void CheckerboardDown(int /*grain*/) {}
