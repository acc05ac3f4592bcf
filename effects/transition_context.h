// The drawing state every effect routine reads: what to draw, where, and how fast.
#pragma once

#include "platform/win32.h"

struct TransitionContextRecord {
  int Effect;     // row of the effect table, 0..19
  int EffectDir;  // direction code: 1 left/horizontal/out, 2 right/vertical/in, 4 up, 8 down
  int TargetX;    // top-left of the picture in the window, negative when it is cropped
  int TargetY;
  int TargetWidth;  // the picture's own size
  int TargetHeight;
  int GrainSize;    // at least 1
  int DelayFactor;  // 1..10
  int PaceUnits;    // of the running effect
  HDC DestDC;       // the saver window's DC
  HDC SourceDC;     // memory DC holding the picture at (0, 0)
};

extern TransitionContextRecord TransitionContext;
