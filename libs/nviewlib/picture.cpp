#include "libs/nviewlib/picture.h"

#include <atomic>
#include <new>

namespace nviewlib {
namespace {
std::atomic<std::int64_t> pixelsAllocated{0};
}  // namespace

bool SizeAllowed(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide &&
         width * height <= kMaxPixels;
}

std::optional<Picture> NewPicture(std::int64_t width, std::int64_t height) {
  if (!SizeAllowed(width, height)) return std::nullopt;
  try {
    Picture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.pixels.assign(static_cast<std::size_t>(width * height), 0);
    pixelsAllocated += width * height;
    return picture;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

std::int64_t PixelsAllocated() {
  return pixelsAllocated;
}

}  // namespace nviewlib
