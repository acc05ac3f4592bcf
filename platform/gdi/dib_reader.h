// Turns the bytes of a .bmp file into 32-bit pixels, trusting nothing the file declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/gdi/pixel_memory.h"

namespace platform::gdi {

struct DecodedDib {
  int width = 0;
  int height = 0;
  PixelMemory pixels;  // 0x00RRGGBB, top row first
};

// Larger pictures are refused rather than allocated: a resource is never this big honestly.
inline constexpr std::int64_t kMaxDibPixels = std::int64_t{1} << 26;

// BITMAPFILEHEADER + BITMAPINFOHEADER (or a later header of the same layout), BI_RGB, 1, 4,
// 8, 24 or 32 bits, bottom-up or top-down. Nothing on anything malformed or truncated.
// Palette indices beyond the colour table read as black.
std::optional<DecodedDib> DecodeDib(const unsigned char* data, std::size_t size);

}  // namespace platform::gdi
