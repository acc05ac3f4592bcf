// Decoded pixels as a real GDI bitmap: a top-down 32-bit DIB section.
#include <cstring>

#include "platform/gdi/pixel_bitmap.h"
#include "platform/gdi/pixel_section_windows.h"

namespace platform::gdi {

HBITMAP AdoptPixels(int width, int height, PixelMemory&& pixels) {
  constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 28;
  if (width <= 0 || height <= 0 || std::int64_t{width} * height > kMaxBitmapPixels ||
      pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    return nullptr;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first, as the decoders write it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;  // 0x00RRGGBB is the DIB's BGRX byte order
  info.bmiHeader.biCompression = BI_RGB;
  HANDLE section = SectionOfPixels(pixels.data());
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, section, 0);
  if (bitmap == nullptr || bits == nullptr) return nullptr;
  // A small picture lives on the heap: its few pixels are copied.
  if (section == nullptr) std::memcpy(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
  // The bitmap's view of the section holds the pixels now; this one goes.
  pixels = PixelMemory();
  return bitmap;
}

}  // namespace platform::gdi
