// These routines draw nothing yet: they arrive with the effects.
#include "effects/effect_routines.h"

void DripDown(int /*grain*/) {}
void DripUp(int /*grain*/) {}
void DiagonalDownRight(int /*grain*/) {}
void DiagonalDownLeft(int /*grain*/) {}
void DiagonalUpRight(int /*grain*/) {}
void DiagonalUpLeft(int /*grain*/) {}
