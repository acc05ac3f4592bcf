// Stand-ins for every effect routine that record each call instead of drawing, so tests can see
// which routine the engine chose and what it passed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace recording {

struct RoutineCall {
  std::string name;
  int grain = 0;
  std::optional<int> grainAgain;  // the weave routines' second grain
  int paceUnits = 0;              // TransitionContext.PaceUnits as the routine began
};

std::vector<RoutineCall>& Calls();

// Run by every stand-in after recording its call, e.g. to draw and pace like a real effect.
// Empty by default.
std::function<void(const RoutineCall&)>& Behaviour();

void Reset();

}  // namespace recording
