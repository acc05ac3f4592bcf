// Where the text after each TAB of a list-box entry starts (LBS_USETABSTOPS), as Win32's
// tabbed text output lays it out.
#pragma once

#include <vector>

#include "platform/qt/dialog_font.h"

namespace platform::qt {

struct TabStops {
  std::vector<int> positions;  // pixels from the entry's text origin, ascending
  int interval = 0;            // beyond the last position: every this many pixels
};

// LB_SETTABSTOPS's dialog units in pixels: none, a stop every 32 dialog units; one value, a
// stop every that many; several, those stops and then one every 32 dialog units.
TabStops TabStopsFor(const std::vector<int>& dialogUnits, const BaseUnits& units);

// The first stop after `x`, the end of the text before the TAB.
int NextTabStop(const TabStops& stops, int x);

}  // namespace platform::qt
