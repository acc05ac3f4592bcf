#include "tests/platform/gdi/gdi_test_support.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>

#include "platform/gdi/gdi_objects.h"

namespace gdi_test {
namespace {
platform::gdi::BitmapObject& Find(HBITMAP bitmap) {
  platform::gdi::BitmapObject* found = platform::gdi::FindBitmap(platform::gdi::State(), bitmap);
  if (found == nullptr) throw std::runtime_error("no such bitmap");
  return *found;
}
}  // namespace

HBITMAP MakeBitmap(int width, int height, const std::vector<std::uint32_t>& pixels) {
  HDC screen = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  DeleteDC(screen);
  SetPixels(bitmap, pixels);
  return bitmap;
}

HBITMAP MakePatternBitmap(int width, int height, std::uint32_t seed) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = seed * 0x10000 + static_cast<std::uint32_t>(i) + 1;
  }
  return MakeBitmap(width, height, pixels);
}

std::vector<std::uint32_t> Pixels(HBITMAP bitmap) {
  std::lock_guard lock(platform::gdi::State().mutex);
  const platform::gdi::BitmapObject& found = Find(bitmap);
  return {found.pixels.begin(), found.pixels.end()};
}

void SetPixels(HBITMAP bitmap, const std::vector<std::uint32_t>& pixels) {
  std::lock_guard lock(platform::gdi::State().mutex);
  platform::gdi::BitmapObject& found = Find(bitmap);
  if (found.pixels.size() != pixels.size()) throw std::runtime_error("wrong pixel count");
  std::copy(pixels.begin(), pixels.end(), found.pixels.begin());
}

BitmapDc::BitmapDc(HBITMAP bitmap)
    : dc_(CreateCompatibleDC(nullptr)), bitmap_(bitmap), previous_(SelectObject(dc_, bitmap)) {}

BitmapDc::~BitmapDc() {
  SelectObject(dc_, previous_);
  DeleteDC(dc_);
  DeleteObject(bitmap_);
}

}  // namespace gdi_test
