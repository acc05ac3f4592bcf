// What every decoder of the picture library produces, and the size limit they all check first.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/gdi/pixel_memory.h"

namespace nviewlib {

// Decoders write 0x00RRGGBB through byte-order formats (BGRA, BGRX).
static_assert(std::endian::native == std::endian::little);

// Pictures larger than this are refused from their declared size, before anything is allocated:
// at most 32,768 pixels a side and 256 megapixels (1 GiB of pixels) in all.
inline constexpr std::int64_t kMaxSide = 32768;
inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

// 0x00RRGGBB, top row first, no padding; what the program's GDI takes over as a bitmap. The
// pixels are the program's own memory, so that GDI takes them over without a copy.
struct Picture {
  int width = 0;
  int height = 0;
  platform::gdi::PixelMemory pixels;

  std::uint32_t& At(int x, int y) {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

using Bytes = std::span<const std::uint8_t>;

// Asked by a long decode before it allocates and then every few rows: true when whoever waits for
// the picture no longer wants it (the show is ending). The decoder then gives up, frees what it
// holds and returns nothing. Null never stops.
using StopQuery = bool (*)();
inline bool ShouldStop(StopQuery stop) {
  return stop != nullptr && stop();
}

bool SizeAllowed(std::int64_t width, std::int64_t height);

// For formats whose few bytes may claim any number of pixels (RLE bitmaps that end early, a GIF
// screen far larger than its frame): no writer makes more than this many pixels of a byte, and a
// file that claims to is refused rather than costing a huge allocation.
inline constexpr std::int64_t kMaxPixelsPerByte = 16384;
inline bool PlausibleForFileSize(std::int64_t width, std::int64_t height, std::size_t fileBytes) {
  return width * height <= static_cast<std::int64_t>(fileBytes) * kMaxPixelsPerByte;
}

// A black picture of that size; nothing when the size is not allowed, memory runs out or `stop`
// says so before the allocation. For decoders that leave some pixels unwritten.
std::optional<Picture> NewPicture(std::int64_t width, std::int64_t height,
                                  StopQuery stop = nullptr);

// The same with pixels left as they come, for a decoder that writes every one of them: large
// pictures then cost neither a clearing pass nor, in a slide show, fresh pages.
std::optional<Picture> NewUnfilledPicture(std::int64_t width, std::int64_t height,
                                          StopQuery stop = nullptr);

// How many pixels NewPicture and NewUnfilledPicture have allocated in this process: lets tests
// see that a file was refused before any allocation, however large the size it declared.
std::int64_t PixelsAllocated();

inline constexpr std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return (r << 16) | (g << 8) | b;
}

// Pictures are shown on black: a pixel of coverage `alpha` (0..255) over black.
inline constexpr std::uint32_t OverBlack(std::uint32_t r, std::uint32_t g, std::uint32_t b,
                                         std::uint32_t alpha) {
  return Rgb((r * alpha + 127) / 255, (g * alpha + 127) / 255, (b * alpha + 127) / 255);
}

}  // namespace nviewlib
