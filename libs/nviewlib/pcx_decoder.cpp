// ZSoft Paintbrush: 1-bit, 2- and 4-bit, 1-bit planes (EGA's four), 8-bit with the 256-colour
// trailer, and 24-bit as three 8-bit planes (a fourth plane, alpha, is ignored).
#include <array>

#include "libs/nviewlib/byte_reader.h"
#include "libs/nviewlib/decoders.h"

namespace nviewlib {
namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kTrailerSize = 769;  // 0x0C then 256 RGB triples
constexpr std::uint32_t kLongestRun = 63;

struct Header {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t planes = 0;
  std::uint32_t bytesPerLine = 0;
  bool runLength = true;
};

enum class Layout { BitPlanes, Packed, Indexed, TrueColour };

std::optional<Layout> LayoutOf(const Header& header) {
  if (header.bitsPerPixel == 1 && header.planes >= 1 && header.planes <= 4) {
    return Layout::BitPlanes;
  }
  if ((header.bitsPerPixel == 2 || header.bitsPerPixel == 4) && header.planes == 1) {
    return Layout::Packed;
  }
  if (header.bitsPerPixel == 8 && header.planes == 1) return Layout::Indexed;
  if (header.bitsPerPixel == 8 && (header.planes == 3 || header.planes == 4)) {
    return Layout::TrueColour;
  }
  return std::nullopt;
}

// The colours of the indexed layouts: the header's 16 for up to 4 bits, the trailer's 256 for 8.
// One-bit files whose header palette says nothing
// (both entries equal) are black and white.
std::array<std::uint32_t, 256> PaletteOf(Bytes file, const Header& header, Layout layout,
                                         bool& trailer) {
  std::array<std::uint32_t, 256> palette{};
  trailer = false;
  if (layout == Layout::Indexed) {
    trailer = file.size() >= kHeaderSize + kTrailerSize && file[file.size() - kTrailerSize] == 0x0C;
    const std::uint8_t* colours = file.data() + file.size() - kTrailerSize + 1;
    for (std::uint32_t i = 0; i < 256; ++i) {
      if (trailer) palette[i] = Rgb(colours[i * 3], colours[i * 3 + 1], colours[i * 3 + 2]);
    }
    return palette;
  }
  const std::uint8_t* colours = file.data() + 16;
  for (std::uint32_t i = 0; i < 16; ++i) {
    palette[i] = Rgb(colours[i * 3], colours[i * 3 + 1], colours[i * 3 + 2]);
  }
  if (layout == Layout::BitPlanes && header.planes == 1 && palette[0] == palette[1]) {
    palette[0] = 0;
    palette[1] = 0xFFFFFF;
  }
  return palette;
}

// Runs may carry over from one line to the next, as several writers do.
class RunReader {
 public:
  RunReader(Bytes data, bool runLength) : in_(data), runLength_(runLength) {}

  bool Fill(std::vector<std::uint8_t>& line) {
    std::size_t filled = 0;
    while (filled < line.size()) {
      if (pending_ == 0) {
        std::uint32_t byte = 0;
        if (!in_.U8(byte)) return false;
        if (runLength_ && (byte & 0xC0) == 0xC0) {
          pending_ = byte & 0x3F;
          if (!in_.U8(byte)) return false;
        } else {
          pending_ = 1;
        }
        value_ = static_cast<std::uint8_t>(byte);
      }
      const std::size_t count = std::min<std::size_t>(pending_, line.size() - filled);
      std::fill_n(line.begin() + static_cast<std::ptrdiff_t>(filled), count, value_);
      filled += count;
      pending_ -= static_cast<std::uint32_t>(count);
    }
    return true;
  }

 private:
  ByteReader in_;
  bool runLength_;
  std::uint32_t pending_ = 0;
  std::uint8_t value_ = 0;
};

}  // namespace

std::optional<Picture> DecodePcx(Bytes file, StopQuery stop) {
  ByteReader in(file);
  std::uint32_t maker = 0, version = 0, encoding = 0;
  std::uint32_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  Header header;
  if (!in.U8(maker) || !in.U8(version) || !in.U8(encoding) || !in.U8(header.bitsPerPixel) ||
      !in.U16(xMin) || !in.U16(yMin) || !in.U16(xMax) || !in.U16(yMax) || maker != 0x0A ||
      encoding > 1 || !in.Seek(65) || !in.U8(header.planes) || !in.U16(header.bytesPerLine) ||
      !in.Seek(kHeaderSize) || xMax < xMin || yMax < yMin) {
    return std::nullopt;
  }
  header.width = std::int64_t{xMax} - xMin + 1;
  header.height = std::int64_t{yMax} - yMin + 1;
  header.runLength = encoding == 1;
  const std::optional<Layout> layout = LayoutOf(header);
  if (!layout || !SizeAllowed(header.width, header.height) ||
      header.bytesPerLine < (header.width * header.bitsPerPixel + 7) / 8) {
    return std::nullopt;
  }

  bool trailer = false;
  const std::array<std::uint32_t, 256> palette = PaletteOf(file, header, *layout, trailer);
  // Without its trailer an 8-bit file has lost its colours: it was cut short.
  if (*layout == Layout::Indexed && !trailer) return std::nullopt;
  Bytes data = file.subspan(kHeaderSize);
  if (trailer) data = data.first(data.size() - kTrailerSize);
  // Each byte of data gives at most 63 bytes of lines: too little data is a truncated file,
  // refused before the picture is allocated.
  const std::int64_t lineBytes = std::int64_t{header.planes} * header.bytesPerLine;
  const std::int64_t mostPerByte = header.runLength ? kLongestRun : 1;
  if (static_cast<std::int64_t>(data.size()) * mostPerByte < lineBytes * header.height ||
      ShouldStop(stop)) {
    return std::nullopt;
  }

  std::optional<Picture> picture = NewUnfilledPicture(header.width, header.height, stop);
  if (!picture) return std::nullopt;
  RunReader runs(data, header.runLength);
  std::vector<std::uint8_t> line(static_cast<std::size_t>(lineBytes));
  const std::size_t bpl = header.bytesPerLine;
  for (int y = 0; y < picture->height; ++y) {
    if (ShouldStop(stop) || !runs.Fill(line)) return std::nullopt;
    std::uint32_t* out = &picture->At(0, y);
    for (std::size_t x = 0; x < static_cast<std::size_t>(picture->width); ++x) {
      switch (*layout) {
        case Layout::BitPlanes: {
          std::uint32_t index = 0;
          for (std::size_t plane = 0; plane < header.planes; ++plane) {
            index |= ((line[plane * bpl + x / 8] >> (7 - x % 8)) & 1u) << plane;
          }
          out[x] = palette[index];
          break;
        }
        case Layout::Packed: {
          const std::size_t bits = header.bitsPerPixel;
          const std::size_t perByte = 8 / bits;
          const std::size_t shift = 8 - bits * (x % perByte + 1);
          out[x] = palette[(line[x / perByte] >> shift) & ((1u << bits) - 1)];
          break;
        }
        case Layout::Indexed:
          out[x] = palette[line[x]];
          break;
        case Layout::TrueColour:
          out[x] = Rgb(line[x], line[bpl + x], line[2 * bpl + x]);
          break;
      }
    }
  }
  return picture;
}

}  // namespace nviewlib
