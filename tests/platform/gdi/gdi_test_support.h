// Helpers for the GDI tests: bitmaps with chosen pixels, and reading them back.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32.h"

namespace gdi_test {

// A bitmap of the given size whose pixel (x, y) is pixels[y * width + x].
HBITMAP MakeBitmap(int width, int height, const std::vector<std::uint32_t>& pixels);
// A bitmap whose every pixel is distinct: seed * 0x10000 + y * width + x + 1.
HBITMAP MakePatternBitmap(int width, int height, std::uint32_t seed);
std::vector<std::uint32_t> Pixels(HBITMAP bitmap);
void SetPixels(HBITMAP bitmap, const std::vector<std::uint32_t>& pixels);

// A memory DC with the bitmap selected, deselected and deleted (with the bitmap) at scope end.
class BitmapDc {
 public:
  explicit BitmapDc(HBITMAP bitmap);
  ~BitmapDc();
  BitmapDc(const BitmapDc&) = delete;
  BitmapDc& operator=(const BitmapDc&) = delete;
  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
};

}  // namespace gdi_test
