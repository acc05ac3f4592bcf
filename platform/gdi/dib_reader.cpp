#include "platform/gdi/dib_reader.h"

#include <array>

namespace platform::gdi {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;

std::uint32_t U16(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8);
}
std::uint32_t U32(const unsigned char* p) {
  return U16(p) | (U16(p + 2) << 16);
}

std::uint32_t Rgb(const unsigned char* bgr) {
  return (static_cast<std::uint32_t>(bgr[2]) << 16) | (static_cast<std::uint32_t>(bgr[1]) << 8) |
         bgr[0];
}

}  // namespace

std::optional<DecodedDib> DecodeDib(const unsigned char* data, std::size_t size) {
  if (data == nullptr || size < kFileHeaderSize + kInfoHeaderSize) return std::nullopt;
  if (data[0] != 'B' || data[1] != 'M') return std::nullopt;
  const std::uint64_t pixelOffset = U32(data + 10);
  const unsigned char* info = data + kFileHeaderSize;
  const std::uint64_t infoSize = U32(info);
  // Later headers (V4, V5) only append fields; the older 12-byte core header is not taken.
  if (infoSize < kInfoHeaderSize || infoSize > size - kFileHeaderSize) return std::nullopt;
  const auto width = static_cast<std::int32_t>(U32(info + 4));
  const auto rawHeight = static_cast<std::int32_t>(U32(info + 8));
  const std::uint32_t planes = U16(info + 12);
  const std::uint32_t bits = U16(info + 14);
  const std::uint32_t compression = U32(info + 16);
  const std::uint32_t coloursUsed = U32(info + 32);
  if (planes != 1 || compression != kBiRgb) return std::nullopt;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
  const std::int64_t height = rawHeight < 0 ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
  const bool topDown = rawHeight < 0;
  if (width <= 0 || height <= 0 || std::int64_t{width} * height > kMaxDibPixels) {
    return std::nullopt;
  }

  std::array<std::uint32_t, 256> palette{};
  std::uint64_t paletteEntries = 0;
  if (bits <= 8) {
    const std::uint64_t most = std::uint64_t{1} << bits;
    paletteEntries = coloursUsed == 0 ? most : coloursUsed;
    if (paletteEntries > most) return std::nullopt;
  }
  const std::uint64_t paletteStart = kFileHeaderSize + infoSize;
  const std::uint64_t paletteEnd = paletteStart + paletteEntries * 4;
  if (paletteEnd > size || pixelOffset < paletteEnd) return std::nullopt;
  for (std::uint64_t i = 0; i < paletteEntries; ++i) palette[i] = Rgb(data + paletteStart + i * 4);

  const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
  if (pixelOffset > size || stride * static_cast<std::uint64_t>(height) > size - pixelOffset) {
    return std::nullopt;
  }

  DecodedDib dib;
  dib.width = width;
  dib.height = static_cast<int>(height);
  // Every pixel is written below.
  dib.pixels = PixelMemory::Unfilled(static_cast<std::size_t>(std::int64_t{width} * height));
  for (std::int64_t row = 0; row < height; ++row) {
    const std::int64_t stored = topDown ? row : height - 1 - row;
    const unsigned char* in = data + pixelOffset + static_cast<std::uint64_t>(stored) * stride;
    std::uint32_t* out = dib.pixels.data() + row * width;
    for (std::int32_t x = 0; x < width; ++x) {
      switch (bits) {
        case 32:
          out[x] = Rgb(in + 4 * x);
          break;
        case 24:
          out[x] = Rgb(in + 3 * x);
          break;
        default: {
          // Indexed: the leftmost pixel sits in the byte's highest bits.
          const std::uint32_t perByte = 8 / bits;
          const std::uint32_t byte = in[x / perByte];
          const std::uint32_t shift = 8 - bits * (x % perByte + 1);
          const std::uint32_t index = (byte >> shift) & ((1u << bits) - 1);
          out[x] = index < paletteEntries ? palette[index] : 0;
          break;
        }
      }
    }
  }
  return dib;
}

}  // namespace platform::gdi
