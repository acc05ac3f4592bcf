// Windows: which section a large PixelMemory buffer is a view of, so that a bitmap can be made
// over the same memory (CreateDIBSection takes a section, not an address).
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace platform::gdi {

// The section whose view starts at `pixels`, or null for a heap buffer. The handle stays the
// buffer's: a bitmap made over it maps a view of its own, which keeps the memory alive after the
// buffer lets go.
HANDLE SectionOfPixels(const std::uint32_t* pixels);

}  // namespace platform::gdi
