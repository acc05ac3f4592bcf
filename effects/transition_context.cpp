#include "effects/transition_context.h"

TransitionContextRecord TransitionContext = {};
