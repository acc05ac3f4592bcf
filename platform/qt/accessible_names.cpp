#include "platform/qt/accessible_names.h"

#include <limits>

#include "platform/qt/control_view.h"

namespace platform::qt {
namespace {

bool Overlap(LONG firstStart, LONG firstEnd, LONG secondStart, LONG secondEnd) {
  return firstStart < secondEnd && secondStart < firstEnd;
}

// How far `label` is before `control`, left of it or above it; -1 when it is neither, or
// further away than the limit.
long GapBefore(const RECT& label, const RECT& control, int maxLeftGap, int maxAboveGap) {
  if (label.right <= control.left &&
      Overlap(label.top, label.bottom, control.top, control.bottom)) {
    const long gap = control.left - label.right;
    return gap <= maxLeftGap ? gap : -1;
  }
  if (label.bottom <= control.top &&
      Overlap(label.left, label.right, control.left, control.right)) {
    const long gap = control.top - label.bottom;
    return gap <= maxAboveGap ? gap : -1;
  }
  return -1;
}

}  // namespace

bool NeedsLabel(ControlKind kind) {
  switch (kind) {
    case ControlKind::Edit:
    case ControlKind::ComboBox:
    case ControlKind::ListBox:
    case ControlKind::UpDown:
    case ControlKind::Surface:
      return true;
    default:
      return false;
  }
}

QString NearestLabelText(const RECT& control, const std::vector<ControlSnapshot>& labels,
                         int maxLeftGap, int maxAboveGap) {
  long best = std::numeric_limits<long>::max();
  QString name;
  for (const ControlSnapshot& label : labels) {
    if (label.kind != ControlKind::Label || label.text.empty()) continue;
    const long gap = GapBefore(label.bounds, control, maxLeftGap, maxAboveGap);
    if (gap < 0 || gap >= best) continue;
    best = gap;
    name = FromAnsi(label.text);
  }
  return name;
}

}  // namespace platform::qt
