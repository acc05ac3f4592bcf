// Every effect routine, by group. Each takes the grain and draws from TransitionContext; the
// weave effects take the grain twice.
#pragma once

// Drip and Diagonal.
void DripDown(int grain);
void DripUp(int grain);
void DiagonalDownRight(int grain);
void DiagonalDownLeft(int grain);
void DiagonalUpRight(int grain);
void DiagonalUpLeft(int grain);

// Snake and SlideWeave.
void SnakeRight(int grain);
void SnakeLeft(int grain);
void SnakeUp(int grain);
void SnakeDown(int grain);
void SlideWeaveVertical(int grain, int grainAgain);
void SlideWeaveHorizontal(int grain, int grainAgain);

// Wipe, Crush and Interleave.
void WipeRight(int grain);
void WipeLeft(int grain);
void WipeUp(int grain);
void WipeDown(int grain);
void CrushVertical(int grain);
void CrushHorizontal(int grain);
void InterleaveHorizontal(int grain);
void InterleaveVertical(int grain);

// Random blocks and Scramble.
void RandomBlocks(int grain);
void Scramble(int grain);

// Slide and Quad Slide.
void SlideRight(int grain);
void SlideLeft(int grain);
void SlideDown(int grain);
void SlideUp(int grain);
void QuadSlideIn(int grain);
void QuadSlideOut(int grain);

// Blind, Split and Checkerboard.
void BlindHorizontal(int grain);
void BlindVertical(int grain);
void SplitVertical(int grain);
void SplitHorizontal(int grain);
void CheckerboardUp(int grain);
void CheckerboardDown(int grain);

// Stretch and Weave.
void StretchRight(int grain);
void StretchLeft(int grain);
void StretchUp(int grain);
void StretchDown(int grain);
void WeaveVertical(int grain, int grainAgain);
void WeaveHorizontal(int grain, int grainAgain);

// Explode and Spiral.
void ExplodeIn(int grain);
void ExplodeOut(int grain);
void SpiralIn(int grain);
void SpiralOut(int grain);

// Clock.
void Clock(int grain);
