// The transition engine: the effect table, the dispatcher, the pace and the abort poll.
//
// An effect routine draws the picture held by TransitionContext.SourceDC onto DestDC step by
// step, calling PaceStep after each step and returning at once when it reports input.
#pragma once

#include "effects/transition_context.h"
#include "platform/win32.h"

// Direction codes are bit sets; the diagonals are sums.
enum DirectionCode : int {
  DirNone = 0,
  DirLeft = 1,   // also "Horizontal" and "Out"
  DirRight = 2,  // also "Vertical" and "In"
  DirUp = 4,
  DirDown = 8,
  DirHorizontal = 1,
  DirVertical = 2,
  DirOut = 1,
  DirIn = 2,
};

// Which direction buttons the dialog offers for an effect.
enum DirectionClass : int {
  NoDirection = 0,  // "None"
  UpDown = 1,       // "Up", "Down"
  FourWay = 2,      // "Left", "Right", "Up", "Down"
  Diagonal = 3,     // "Left" or "Right" with "Up" or "Down"
  HorizontalVertical = 4,
  InOut = 5,
};

struct EffectRecord {
  int Index;  // equals the row's position
  char Name[40];
  int DirectionClass;  // a DirectionClass value
};

inline constexpr int EffectCount = 20;
extern const EffectRecord EffectTable[EffectCount];

// Round-up division of the grain arithmetic: a / b truncated toward zero, plus 1 when b does not
// divide a exactly.
int CeilDiv(int a, int b);

// Runs TransitionContext.Effect for TransitionContext.EffectDir; an unknown effect or a code the
// effect does not have draws nothing.
void RunTransition();

// Burns PaceUnits x (1 + 100 x DelayFactor) input polls; 1 as soon as a poll sees key or mouse
// input (which stays queued), else 0.
int PaceStep();

// Picks a direction code of TransitionContext.Effect's own class into EffectDir, seeding the
// shared generator from the clock first; effects without directions keep theirs.
void ChooseRandomDirection();
