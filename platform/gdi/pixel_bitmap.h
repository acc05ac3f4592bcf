// A bitmap made from pixels someone has already decoded: for the picture-decoding library, which
// lives in its own module and hands its result to the program's GDI.
#pragma once

#include "platform/gdi/pixel_memory.h"
#include "platform/win32.h"

namespace platform::gdi {

// Takes `pixels` (width x height of 0x00RRGGBB, top row first) as the new bitmap's own buffer,
// without a copy. Null, leaving `pixels` as it was, when a side is below 1, the sizes disagree or
// the bitmap would exceed GDI's limit (2^28 pixels). The caller owns the bitmap (DeleteObject).
HBITMAP AdoptPixels(int width, int height, PixelMemory&& pixels);

}  // namespace platform::gdi
