#include "libs/nviewlib/picture.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace nviewlib {
namespace {
std::atomic<std::int64_t> pixelsAllocated{0};
// 16 MiB: a few milliseconds of page faults.
constexpr std::size_t kPixelsPerStep = std::size_t{1} << 22;
}  // namespace

bool SizeAllowed(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide &&
         width * height <= kMaxPixels;
}

std::optional<Picture> NewPicture(std::int64_t width, std::int64_t height, StopQuery stop) {
  if (!SizeAllowed(width, height)) return std::nullopt;
  try {
    Picture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    const auto count = static_cast<std::size_t>(width * height);
    picture.pixels.reserve(count);
    while (picture.pixels.size() < count) {
      if (ShouldStop(stop)) return std::nullopt;
      picture.pixels.resize(std::min(count, picture.pixels.size() + kPixelsPerStep), 0);
    }
    pixelsAllocated += width * height;
    return picture;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

std::optional<Picture> NewUnfilledPicture(std::int64_t width, std::int64_t height, StopQuery stop) {
  return NewPicture(width, height, stop);  // stand-in until the pixel memory learns to skip filling
}

std::int64_t PixelsAllocated() {
  return pixelsAllocated;
}

}  // namespace nviewlib
