#include "tests/effects/recording_routines.h"

#include "effects/effect_routines.h"
#include "effects/transition_context.h"

namespace recording {

std::vector<RoutineCall>& Calls() {
  static std::vector<RoutineCall> calls;
  return calls;
}

std::function<void(const RoutineCall&)>& Behaviour() {
  static std::function<void(const RoutineCall&)> behaviour;
  return behaviour;
}

void Reset() {
  Calls().clear();
  Behaviour() = nullptr;
}

namespace {
void Record(const char* name, int grain, std::optional<int> grainAgain = std::nullopt) {
  Calls().push_back({name, grain, grainAgain, TransitionContext.PaceUnits});
  if (Behaviour()) Behaviour()(Calls().back());
}
}  // namespace

}  // namespace recording

void DripDown(int grain) {
  recording::Record("DripDown", grain);
}
void DripUp(int grain) {
  recording::Record("DripUp", grain);
}
void DiagonalDownRight(int grain) {
  recording::Record("DiagonalDownRight", grain);
}
void DiagonalDownLeft(int grain) {
  recording::Record("DiagonalDownLeft", grain);
}
void DiagonalUpRight(int grain) {
  recording::Record("DiagonalUpRight", grain);
}
void DiagonalUpLeft(int grain) {
  recording::Record("DiagonalUpLeft", grain);
}
void SnakeRight(int grain) {
  recording::Record("SnakeRight", grain);
}
void SnakeLeft(int grain) {
  recording::Record("SnakeLeft", grain);
}
void SnakeUp(int grain) {
  recording::Record("SnakeUp", grain);
}
void SnakeDown(int grain) {
  recording::Record("SnakeDown", grain);
}
void SlideWeaveVertical(int grain, int grainAgain) {
  recording::Record("SlideWeaveVertical", grain, grainAgain);
}
void SlideWeaveHorizontal(int grain, int grainAgain) {
  recording::Record("SlideWeaveHorizontal", grain, grainAgain);
}
void WipeRight(int grain) {
  recording::Record("WipeRight", grain);
}
void WipeLeft(int grain) {
  recording::Record("WipeLeft", grain);
}
void WipeUp(int grain) {
  recording::Record("WipeUp", grain);
}
void WipeDown(int grain) {
  recording::Record("WipeDown", grain);
}
void CrushVertical(int grain) {
  recording::Record("CrushVertical", grain);
}
void CrushHorizontal(int grain) {
  recording::Record("CrushHorizontal", grain);
}
void InterleaveHorizontal(int grain) {
  recording::Record("InterleaveHorizontal", grain);
}
void InterleaveVertical(int grain) {
  recording::Record("InterleaveVertical", grain);
}
void RandomBlocks(int grain) {
  recording::Record("RandomBlocks", grain);
}
void Scramble(int grain) {
  recording::Record("Scramble", grain);
}
void SlideRight(int grain) {
  recording::Record("SlideRight", grain);
}
void SlideLeft(int grain) {
  recording::Record("SlideLeft", grain);
}
void SlideDown(int grain) {
  recording::Record("SlideDown", grain);
}
void SlideUp(int grain) {
  recording::Record("SlideUp", grain);
}
void QuadSlideIn(int grain) {
  recording::Record("QuadSlideIn", grain);
}
void QuadSlideOut(int grain) {
  recording::Record("QuadSlideOut", grain);
}
void BlindHorizontal(int grain) {
  recording::Record("BlindHorizontal", grain);
}
void BlindVertical(int grain) {
  recording::Record("BlindVertical", grain);
}
void SplitVertical(int grain) {
  recording::Record("SplitVertical", grain);
}
void SplitHorizontal(int grain) {
  recording::Record("SplitHorizontal", grain);
}
void CheckerboardUp(int grain) {
  recording::Record("CheckerboardUp", grain);
}
void CheckerboardDown(int grain) {
  recording::Record("CheckerboardDown", grain);
}
void StretchRight(int grain) {
  recording::Record("StretchRight", grain);
}
void StretchLeft(int grain) {
  recording::Record("StretchLeft", grain);
}
void StretchUp(int grain) {
  recording::Record("StretchUp", grain);
}
void StretchDown(int grain) {
  recording::Record("StretchDown", grain);
}
void WeaveVertical(int grain, int grainAgain) {
  recording::Record("WeaveVertical", grain, grainAgain);
}
void WeaveHorizontal(int grain, int grainAgain) {
  recording::Record("WeaveHorizontal", grain, grainAgain);
}
void ExplodeIn(int grain) {
  recording::Record("ExplodeIn", grain);
}
void ExplodeOut(int grain) {
  recording::Record("ExplodeOut", grain);
}
void SpiralIn(int grain) {
  recording::Record("SpiralIn", grain);
}
void SpiralOut(int grain) {
  recording::Record("SpiralOut", grain);
}
void Clock(int grain) {
  recording::Record("Clock", grain);
}
