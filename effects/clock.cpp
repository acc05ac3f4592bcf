// These routines draw nothing yet: they arrive with the effects.
#include "effects/effect_routines.h"

void Clock(int /*grain*/) {}
