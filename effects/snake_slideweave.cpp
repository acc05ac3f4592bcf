// These routines draw nothing yet: they arrive with the effects.
#include "effects/effect_routines.h"

void SnakeRight(int /*grain*/) {}
void SnakeLeft(int /*grain*/) {}
void SnakeUp(int /*grain*/) {}
void SnakeDown(int /*grain*/) {}
void SlideWeaveVertical(int /*grain*/, int /*grainAgain*/) {}
void SlideWeaveHorizontal(int /*grain*/, int /*grainAgain*/) {}
