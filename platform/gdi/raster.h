// Pixel work on 32-bit surfaces, free of handles and locks: the drawing rule lives here.
#pragma once

#include <cstdint>

#include "platform/backend.h"
#include "platform/win32.h"

namespace platform::gdi {

// Every function returns the destination rectangle it wrote (right and bottom exclusive),
// or an empty one (left == right) when it wrote nothing.

// Copies the source rectangle (sourceX, sourceY, width, height) to (x, y). Source pixels
// outside the source surface leave the destination untouched; destination pixels outside the
// destination surface are dropped. The two surfaces may be one and the same, overlapping.
RECT CopyPixels(const PixelSurface& dest, int x, int y, int width, int height,
                const PixelSurface& source, int sourceX, int sourceY);

// Nearest-pixel stretch: destination pixel (x + i, y + j) takes source pixel
// (sourceX + floor((i + 0.5) * sourceWidth / width), likewise for rows), so equal extents
// copy 1:1. Negative extents mirror as Win32 does; a zero extent draws nothing. Clipped like
// CopyPixels.
RECT StretchPixels(const PixelSurface& dest, int x, int y, int width, int height,
                   const PixelSurface& source, int sourceX, int sourceY, int sourceWidth,
                   int sourceHeight);

// Fills the rectangle, clipped to the surface.
RECT FillPixels(const PixelSurface& dest, const RECT& rect, std::uint32_t colour);

inline bool IsEmptyRect(const RECT& rect) {
  return rect.left >= rect.right || rect.top >= rect.bottom;
}

}  // namespace platform::gdi
