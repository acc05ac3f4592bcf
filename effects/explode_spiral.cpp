// These routines draw nothing yet: they arrive with the effects.
#include "effects/effect_routines.h"

void ExplodeIn(int /*grain*/) {}
void ExplodeOut(int /*grain*/) {}
void SpiralIn(int /*grain*/) {}
void SpiralOut(int /*grain*/) {}
