// The one random generator of each program: a linear congruential generator whose state
// starts at 1. Callers seed it with the low 16 bits of GetTickCount right before a draw.
#pragma once

void SeedRandom(unsigned int seed);
// 0 .. 32767.
int NextRandom();
