#include "effects/engine.h"

#include "effects/effect_routines.h"

const EffectRecord EffectTable[EffectCount] = {
    {0, "Normal", NoDirection},
    {1, "Blind", HorizontalVertical},
    {2, "Crush", HorizontalVertical},
    {3, "Diagonal", Diagonal},
    {4, "Drip", UpDown},
    {5, "Explode", InOut},
    {6, "Random blocks", NoDirection},
    {7, "Slide", FourWay},
    {8, "Spiral", InOut},
    {9, "Split", HorizontalVertical},
    {10, "Weave", HorizontalVertical},
    {11, "Wipe", FourWay},
    {12, "Snake", FourWay},
    {13, "SlideWeave", HorizontalVertical},
    {14, "Interleave", HorizontalVertical},
    {15, "Stretch", FourWay},
    {16, "Scramble", NoDirection},
    {17, "Clock", NoDirection},
    {18, "Checkerboard", UpDown},
    {19, "Quad Slide", InOut},
};

namespace {

using GrainRoutine = void (*)(int grain);
using WeaveRoutine = void (*)(int grain, int grainAgain);

// One direction code and the routine it selects. The weave effects' routines take the grain
// twice, so they sit in a field of their own.
struct DirectionRoute {
  int Code;
  GrainRoutine Routine;
  WeaveRoutine Weave;
};

struct EffectRoutes {
  int PaceUnits;
  GrainRoutine AnyCode;  // effects without directions: the routine whatever EffectDir holds
  DirectionRoute Routes[4];
};

constexpr int NormalEffect = 0;

constexpr DirectionRoute Route(int code, GrainRoutine routine) {
  return {code, routine, nullptr};
}
constexpr DirectionRoute Route(int code, WeaveRoutine routine) {
  return {code, nullptr, routine};
}

// Row by row as EffectTable; "Normal" is drawn by RunTransition itself.
constexpr EffectRoutes Dispatch[EffectCount] = {
    {0, nullptr, {}},
    {100, nullptr, {Route(DirHorizontal, BlindHorizontal), Route(DirVertical, BlindVertical)}},
    {100, nullptr, {Route(DirVertical, CrushVertical), Route(DirHorizontal, CrushHorizontal)}},
    {120,
     nullptr,
     {Route(DirRight | DirDown, DiagonalDownRight), Route(DirLeft | DirDown, DiagonalDownLeft),
      Route(DirRight | DirUp, DiagonalUpRight), Route(DirLeft | DirUp, DiagonalUpLeft)}},
    {50, nullptr, {Route(DirDown, DripDown), Route(DirUp, DripUp)}},
    {100, nullptr, {Route(DirIn, ExplodeIn), Route(DirOut, ExplodeOut)}},
    {1, RandomBlocks, {}},
    {100,
     nullptr,
     {Route(DirRight, SlideRight), Route(DirLeft, SlideLeft), Route(DirDown, SlideDown),
      Route(DirUp, SlideUp)}},
    {20, nullptr, {Route(DirIn, SpiralIn), Route(DirOut, SpiralOut)}},
    {50, nullptr, {Route(DirVertical, SplitVertical), Route(DirHorizontal, SplitHorizontal)}},
    {10, nullptr, {Route(DirVertical, WeaveVertical), Route(DirHorizontal, WeaveHorizontal)}},
    {50,
     nullptr,
     {Route(DirRight, WipeRight), Route(DirLeft, WipeLeft), Route(DirUp, WipeUp),
      Route(DirDown, WipeDown)}},
    {50,
     nullptr,
     {Route(DirRight, SnakeRight), Route(DirLeft, SnakeLeft), Route(DirUp, SnakeUp),
      Route(DirDown, SnakeDown)}},
    {150,
     nullptr,
     {Route(DirVertical, SlideWeaveVertical), Route(DirHorizontal, SlideWeaveHorizontal)}},
    {60,
     nullptr,
     {Route(DirHorizontal, InterleaveHorizontal), Route(DirVertical, InterleaveVertical)}},
    {100,
     nullptr,
     {Route(DirRight, StretchRight), Route(DirLeft, StretchLeft), Route(DirUp, StretchUp),
      Route(DirDown, StretchDown)}},
    {2, Scramble, {}},
    {50, Clock, {}},
    {100, nullptr, {Route(DirUp, CheckerboardUp), Route(DirDown, CheckerboardDown)}},
    {100, nullptr, {Route(DirIn, QuadSlideIn), Route(DirOut, QuadSlideOut)}},
};

}  // namespace

int CeilDiv(int a, int b) {
  const int quotient = a / b;
  return quotient * b != a ? quotient + 1 : quotient;
}

void RunTransition() {
  const int effect = TransitionContext.Effect;
  const int code = TransitionContext.EffectDir;
  const int grain = TransitionContext.GrainSize;
  // Unsigned, so that a negative index is out of range too.
  if (static_cast<unsigned int>(effect) >= static_cast<unsigned int>(EffectCount)) return;

  if (effect == NormalEffect) {
    BitBlt(TransitionContext.DestDC, TransitionContext.TargetX, TransitionContext.TargetY,
           TransitionContext.TargetWidth, TransitionContext.TargetHeight,
           TransitionContext.SourceDC, 0, 0, SRCCOPY);
    return;
  }

  const EffectRoutes& routes = Dispatch[effect];
  TransitionContext.PaceUnits = routes.PaceUnits;
  if (routes.AnyCode != nullptr) {
    routes.AnyCode(grain);
    return;
  }
  // A code the effect does not have (a hand-edited setting) draws nothing.
  for (const DirectionRoute& route : routes.Routes) {
    if (route.Code != code) continue;
    if (route.Routine != nullptr) {
      route.Routine(grain);
      return;
    }
    if (route.Weave != nullptr) {
      route.Weave(grain, grain);
      return;
    }
  }
}
