// One block copy of the picture onto the window, as every straight-copy effect makes it.
#pragma once

#include <algorithm>
#include <climits>

#include "effects/transition_context.h"
#include "platform/win32.h"

// BitBlt(DestDC, dx, dy, width, height, SourceDC, sourceX, sourceY, SRCCOPY). The effects work
// their rectangles out in 64 bits because the grain comes from the settings store unbounded: a
// hand-edited grain near the 32-bit limit must not wrap a far-away rectangle onto the picture.
// A value beyond 32 bits saturates; such a rectangle lies off the picture or the window either
// way, so it draws exactly what the unbounded one would.
inline void CopyPicture(long long dx, long long dy, long long width, long long height,
                        long long sourceX, long long sourceY) {
  const auto narrow = [](long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
  };
  BitBlt(TransitionContext.DestDC, narrow(dx), narrow(dy), narrow(width), narrow(height),
         TransitionContext.SourceDC, narrow(sourceX), narrow(sourceY), SRCCOPY);
}
