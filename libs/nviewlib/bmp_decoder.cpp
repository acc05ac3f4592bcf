// Windows and OS/2 bitmaps: 1, 4, 8, 16, 24 and 32 bits, RLE4 and RLE8, bit fields, top-down.
#include <array>
#include <bit>

#include "libs/nviewlib/byte_reader.h"
#include "libs/nviewlib/decoders.h"

namespace nviewlib {
namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // OS/2 1.x and Windows 2.x
constexpr std::uint32_t kInfoHeaderSize = 40;

struct Header {
  std::int64_t width = 0;
  std::int64_t height = 0;  // positive here; topDown says which way the rows run
  bool topDown = false;
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t coloursUsed = 0;
  std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
  bool core = false;
};

// One colour channel of a bit-field pixel, scaled to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (m != 0) {
      shift = std::countr_zero(m);
      bits = std::min(std::popcount(m), 32 - shift);
    }
  }
  std::uint32_t Get(std::uint32_t pixel) const {
    if (bits == 0) return 0;
    const std::uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) return (value >> (bits - 8)) & 0xFF;
    const std::uint32_t largest = (1u << bits) - 1;
    return (value * 255 + largest / 2) / largest & 0xFF;
  }
};

bool ReadHeader(ByteReader& in, Header& header, std::size_t& afterHeader) {
  std::uint32_t headerSize = 0;
  if (!in.U32(headerSize)) return false;
  if (headerSize == kCoreHeaderSize) {
    std::uint32_t width = 0, height = 0, planes = 0;
    if (!in.U16(width) || !in.U16(height) || !in.U16(planes) || !in.U16(header.bitsPerPixel)) {
      return false;
    }
    header.width = width;
    header.height = height;
    header.core = true;
  } else {
    if (headerSize < kInfoHeaderSize || headerSize > 1024) return false;
    std::int32_t width = 0, height = 0;
    std::uint32_t planes = 0, ignored = 0;
    if (!in.I32(width) || !in.I32(height) || !in.U16(planes) || !in.U16(header.bitsPerPixel) ||
        !in.U32(header.compression) || !in.U32(ignored) || !in.U32(ignored) || !in.U32(ignored) ||
        !in.U32(header.coloursUsed) || !in.U32(ignored)) {
      return false;
    }
    header.width = width;
    header.height = height;
    if (header.height < 0) {
      header.topDown = true;
      header.height = -header.height;
    }
    const bool fields = header.compression == kBitFields || header.compression == kAlphaBitFields;
    // Bit masks sit inside the larger headers; after the 40-byte one they follow it.
    const std::size_t maskCount = header.compression == kAlphaBitFields || headerSize >= 56 ? 4
                                  : fields || headerSize >= 52                              ? 3
                                                                                            : 0;
    const bool masksOutside = headerSize == kInfoHeaderSize && fields;
    for (std::size_t i = 0; i < maskCount; ++i) {
      if (!in.U32(header.masks[i])) return false;
    }
    if (!fields) header.masks = {};
    afterHeader = kFileHeaderSize + headerSize + (masksOutside ? maskCount * 4 : 0);
    return in.Seek(afterHeader);
  }
  afterHeader = kFileHeaderSize + headerSize;
  return true;
}

bool ValidFormat(const Header& header) {
  const std::uint32_t bits = header.bitsPerPixel;
  switch (header.compression) {
    case kRgb:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kRle8:
      return bits == 8 && !header.topDown;
    case kRle4:
      return bits == 4 && !header.topDown;
    case kBitFields:
    case kAlphaBitFields:
      return bits == 16 || bits == 32;
    default:
      return false;
  }
}

// Colours beyond those the file gives stay black.
bool ReadPalette(ByteReader& in, const Header& header, std::array<std::uint32_t, 256>& palette) {
  palette.fill(0);
  if (header.bitsPerPixel > 8) return true;
  const std::uint32_t possible = 1u << header.bitsPerPixel;
  const std::uint32_t count =
      header.coloursUsed != 0 && header.coloursUsed < possible ? header.coloursUsed : possible;
  const std::size_t entrySize = header.core ? 3 : 4;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = in.Take(entrySize);
    if (entry == nullptr) return i > 0;  // a short palette still colours what it covers
    palette[i] = Rgb(entry[2], entry[1], entry[0]);
  }
  return true;
}

std::int64_t Stride(const Header& header) {
  return (header.width * header.bitsPerPixel + 31) / 32 * 4;
}

// Uncompressed rows must all be there (the last one may lack its padding): checked before the
// picture is allocated, so that a short file claiming a huge picture costs nothing.
bool RowsPresent(Bytes file, std::size_t start, const Header& header) {
  const std::int64_t rowBytes = (header.width * header.bitsPerPixel + 7) / 8;
  const std::int64_t available =
      static_cast<std::int64_t>(file.size()) - static_cast<std::int64_t>(start);
  return available >= (header.height - 1) * Stride(header) + rowBytes;
}

bool DecodeRows(Bytes file, std::size_t start, const Header& header,
                const std::array<std::uint32_t, 256>& palette, Picture& picture, StopQuery stop) {
  const std::int64_t width = header.width;
  const std::int64_t stride = Stride(header);

  std::array<std::uint32_t, 4> masks = header.masks;
  if (header.compression == kRgb && header.bitsPerPixel == 16) masks = {0x7C00, 0x03E0, 0x001F, 0};
  if (header.compression == kRgb && header.bitsPerPixel == 32) {
    masks = {0xFF0000, 0xFF00, 0xFF, 0};
  }
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
  auto packed = [&](const std::uint8_t* row, std::int64_t x) -> std::uint32_t {
    if (header.bitsPerPixel == 16)
      return static_cast<std::uint32_t>(row[x * 2] | row[x * 2 + 1] << 8);
    const std::uint8_t* p = row + x * 4;
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  };
  auto rowAt = [&](std::int64_t y) {
    const std::int64_t stored = header.topDown ? y : header.height - 1 - y;
    return file.data() + start + static_cast<std::size_t>(stored * stride);
  };

  // Many writers leave the alpha of 32-bit files all zero: then it means nothing.
  bool useAlpha = false;
  if (alpha.bits != 0) {
    for (std::int64_t y = 0; y < header.height && !useAlpha; ++y) {
      if (ShouldStop(stop)) return false;
      const std::uint8_t* row = rowAt(y);
      for (std::int64_t x = 0; x < width && !useAlpha; ++x)
        useAlpha = alpha.Get(packed(row, x)) != 0;
    }
  }

  for (std::int64_t y = 0; y < header.height; ++y) {
    if (ShouldStop(stop)) return false;
    const std::uint8_t* row = rowAt(y);
    std::uint32_t* out = &picture.At(0, static_cast<int>(y));
    switch (header.bitsPerPixel) {
      case 1:
      case 4:
      case 8: {
        const std::uint32_t bits = header.bitsPerPixel;
        const std::uint32_t perByte = 8 / bits;
        const std::uint32_t valueMask = (1u << bits) - 1;
        for (std::int64_t x = 0; x < width; ++x) {
          const std::uint32_t byte = row[x / perByte];
          const std::uint32_t shift = 8 - bits * (static_cast<std::uint32_t>(x % perByte) + 1);
          out[x] = palette[(byte >> shift) & valueMask];
        }
        break;
      }
      case 24:
        for (std::int64_t x = 0; x < width; ++x) {
          out[x] = Rgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
        }
        break;
      default:
        for (std::int64_t x = 0; x < width; ++x) {
          const std::uint32_t pixel = packed(row, x);
          out[x] = useAlpha ? OverBlack(red.Get(pixel), green.Get(pixel), blue.Get(pixel),
                                        alpha.Get(pixel))
                            : Rgb(red.Get(pixel), green.Get(pixel), blue.Get(pixel));
        }
        break;
    }
  }
  return true;
}

// Run-length data: runs and deltas past the picture's edges are dropped, pixels the data never
// reaches stay black, and data that ends before every row is reached is a truncated file.
bool DecodeRunLength(Bytes file, std::size_t start, const Header& header,
                     const std::array<std::uint32_t, 256>& palette, Picture& picture,
                     StopQuery stop) {
  const bool four = header.compression == kRle4;
  ByteReader in(file, start);
  std::int64_t x = 0;
  std::int64_t y = 0;  // from the bottom row up
  auto put = [&](std::uint32_t index) {
    if (x < header.width && y < header.height) {
      picture.At(static_cast<int>(x), static_cast<int>(header.height - 1 - y)) = palette[index];
    }
    ++x;
  };
  while (y < header.height) {
    std::uint32_t count = 0, value = 0;
    if (!in.U8(count) || !in.U8(value)) return false;
    if (count > 0) {
      for (std::uint32_t i = 0; i < count && x < header.width; ++i) {
        put(four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
      }
      continue;
    }
    switch (value) {
      case 0:  // end of line
        if (ShouldStop(stop)) return false;
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return true;
      case 2: {  // delta
        if (ShouldStop(stop)) return false;
        std::uint32_t dx = 0, dy = 0;
        if (!in.U8(dx) || !in.U8(dy)) return false;
        x += dx;
        y += dy;
        break;
      }
      default: {  // absolute run, padded to an even number of bytes
        const std::size_t bytes = four ? (value + 1) / 2 : value;
        const std::uint8_t* run = in.Take(bytes);
        if (run == nullptr || !in.Skip(bytes % 2)) return false;
        for (std::uint32_t i = 0; i < value; ++i) {
          put(four ? (i % 2 == 0 ? run[i / 2] >> 4 : run[i / 2] & 0x0F) : run[i]);
        }
        break;
      }
    }
  }
  return true;
}

}  // namespace

std::optional<Picture> DecodeBmp(Bytes file, StopQuery stop) {
  ByteReader in(file);
  const std::uint8_t* magic = in.Take(2);
  std::uint32_t ignored = 0, dataOffset = 0;
  if (magic == nullptr || magic[0] != 'B' || magic[1] != 'M' || !in.U32(ignored) ||
      !in.U32(ignored) || !in.U32(dataOffset)) {
    return std::nullopt;
  }
  Header header;
  std::size_t afterHeader = 0;
  if (!ReadHeader(in, header, afterHeader) || !ValidFormat(header) ||
      !SizeAllowed(header.width, header.height)) {
    return std::nullopt;
  }
  std::array<std::uint32_t, 256> palette{};
  if (!in.Seek(afterHeader) || !ReadPalette(in, header, palette)) return std::nullopt;
  // A zero or impossible offset: the pixels follow the palette.
  const std::size_t start =
      dataOffset >= kFileHeaderSize + kCoreHeaderSize && dataOffset < file.size() ? dataOffset
                                                                                  : in.Position();

  const bool runLength = header.compression == kRle8 || header.compression == kRle4;
  if (runLength ? !PlausibleForFileSize(header.width, header.height, file.size())
                : !RowsPresent(file, start, header)) {
    return std::nullopt;
  }
  if (ShouldStop(stop)) return std::nullopt;

  // Run-length data may leave pixels unreached, which stay black; plain rows write every one.
  std::optional<Picture> picture = runLength
                                       ? NewPicture(header.width, header.height, stop)
                                       : NewUnfilledPicture(header.width, header.height, stop);
  if (!picture) return std::nullopt;
  if (!(runLength ? DecodeRunLength(file, start, header, palette, *picture, stop)
                  : DecodeRows(file, start, header, palette, *picture, stop))) {
    return std::nullopt;
  }
  return picture;
}

}  // namespace nviewlib
