#include "effects/engine.h"
#include "effects/pace_observer.h"

void (*PaceObserver)() = nullptr;

namespace {

// One look at the input queue; the input stays there for the window's own loop to end the show.
bool InputWaiting() {
  return HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON)) != 0;
}

}  // namespace

int PaceStep() {
  if (PaceObserver != nullptr) PaceObserver();
  const int paceUnits = TransitionContext.PaceUnits;
  if (paceUnits < 1) return 0;
  // Wide enough that no DelayFactor can overflow it; a factor below 1 adds no polls.
  const long long extraPolls = 100LL * TransitionContext.DelayFactor;
  for (int unit = 0; unit < paceUnits; ++unit) {
    if (InputWaiting()) return 1;
    for (long long poll = 0; poll < extraPolls; ++poll) {
      if (InputWaiting()) return 1;
    }
  }
  return 0;
}
