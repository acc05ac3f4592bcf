#include "platform/qt/tab_stops.h"

#include <algorithm>

namespace platform::qt {
namespace {
constexpr int kDefaultStepDialogUnits = 32;
}  // namespace

TabStops TabStopsFor(const std::vector<int>& dialogUnits, const BaseUnits& units) {
  TabStops stops;
  stops.interval = HorizontalPixels(kDefaultStepDialogUnits, units);
  if (dialogUnits.size() == 1) {
    stops.interval = HorizontalPixels(dialogUnits.front(), units);
    return stops;
  }
  for (const int position : dialogUnits) {
    stops.positions.push_back(HorizontalPixels(position, units));
  }
  std::sort(stops.positions.begin(), stops.positions.end());
  return stops;
}

int NextTabStop(const TabStops& stops, int x) {
  const auto next = std::upper_bound(stops.positions.begin(), stops.positions.end(), x);
  if (next != stops.positions.end()) return *next;
  // A stop of no width (LB_SETTABSTOPS with 0) cannot advance: the text runs on.
  if (stops.interval <= 0) return x;
  return (x / stops.interval + 1) * stops.interval;
}

}  // namespace platform::qt
