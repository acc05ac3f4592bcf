// Names for screen readers of the controls that show no text of their own.
#pragma once

#include <QString>

#include <vector>

#include "platform/user/dialog_controls.h"

namespace platform::qt {

// Whether a control of this kind has no text that names it (fields, lists, arrows, areas).
bool NeedsLabel(ControlKind kind);

// The text of the label nearest to `control` that stands left of it on the same line (at most
// `maxLeftGap` pixels away) or above it in the same column (at most `maxAboveGap`); empty when
// there is none.
QString NearestLabelText(const RECT& control, const std::vector<ControlSnapshot>& labels,
                         int maxLeftGap, int maxAboveGap);

}  // namespace platform::qt
