// What tests and developer tools may see of GDI: live object counts and every copy made.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/win32.h"

namespace platform::gdi {

struct LiveObjects {
  int dcs = 0;      // window, screen and memory DCs not yet released or deleted
  int bitmaps = 0;  // bitmaps not yet deleted (stock objects are not counted)
  int brushes = 0;  // brushes not yet deleted (stock objects are not counted)
  bool operator==(const LiveObjects&) const = default;
};
LiveObjects CountLiveObjects();

// One BitBlt or StretchBlt exactly as called, before any clipping.
struct CopyCall {
  bool stretch = false;
  HDC dest = nullptr;
  int x = 0, y = 0, width = 0, height = 0;
  HDC source = nullptr;
  int sourceX = 0, sourceY = 0, sourceWidth = 0, sourceHeight = 0;  // stretch only
};
// Called for every copy from then on; an empty function stops it.
void SetCopyObserver(std::function<void(const CopyCall&)> observer);

// Forgets every object (stale handles then fail), the off-screen screen and the copy observer;
// for tests that start afresh.
void ResetGdi();

// A pixel of the off-screen screen that GetDC(nullptr) draws into while no window covers the
// screen (0x00RRGGBB); 0 outside it or before anything has drawn there.
std::uint32_t OffScreenPixel(int x, int y);

}  // namespace platform::gdi
