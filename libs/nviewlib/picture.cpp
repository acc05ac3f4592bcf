#include "libs/nviewlib/picture.h"

#include <atomic>
#include <new>

namespace nviewlib {
namespace {

std::atomic<std::int64_t> pixelsAllocated{0};

std::optional<Picture> AllocatePicture(std::int64_t width, std::int64_t height, StopQuery stop,
                                       bool black) {
  if (!SizeAllowed(width, height) || ShouldStop(stop)) return std::nullopt;
  const auto count = static_cast<std::size_t>(width * height);
  try {
    Picture picture{static_cast<int>(width), static_cast<int>(height),
                    black ? platform::gdi::PixelMemory::Zeroed(count)
                          : platform::gdi::PixelMemory::Unfilled(count)};
    pixelsAllocated += width * height;
    return picture;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace

bool SizeAllowed(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide &&
         width * height <= kMaxPixels;
}

std::optional<Picture> NewPicture(std::int64_t width, std::int64_t height, StopQuery stop) {
  return AllocatePicture(width, height, stop, true);
}

std::optional<Picture> NewUnfilledPicture(std::int64_t width, std::int64_t height, StopQuery stop) {
  return AllocatePicture(width, height, stop, false);
}

std::int64_t PixelsAllocated() {
  return pixelsAllocated;
}

}  // namespace nviewlib
