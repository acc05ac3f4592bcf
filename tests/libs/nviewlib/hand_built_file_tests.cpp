// The BMP and PCX variants ImageMagick does not write (RLE4, OS/2 1.x, 16-bit 555 without bit
// fields, top-down, unused alpha, one-bit and four-plane PCX), built byte by byte. Each is checked
// against the pixels it was built to hold and against ImageMagick's reading of it.
#include <gtest/gtest.h>

#include <initializer_list>

#include "libs/nviewlib/decoders.h"
#include "libs/nviewlib/picture_decoder.h"
#include "tests/libs/nviewlib/picture_files.h"

namespace nviewlib_test {
namespace {

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFF, kBlack = 0;

class Builder {
 public:
  Builder& U8(std::initializer_list<int> values) {
    for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  Builder& U16(int value) { return U8({value & 0xFF, (value >> 8) & 0xFF}); }
  Builder& U32(std::int64_t value) {
    for (int shift = 0; shift < 32; shift += 8)
      bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    return *this;
  }
  Builder& Zeros(std::size_t count) {
    bytes.insert(bytes.end(), count, 0);
    return *this;
  }
  Bytes bytes;
};

// File header + a 40-byte info header; the caller appends palette, masks and pixels, then the
// data offset is patched in.
Builder InfoBmp(int width, int height, int bits, int compression, int colours = 0) {
  Builder b;
  b.U8({'B', 'M'}).U32(0).U32(0).U32(0);
  b.U32(40).U32(width).U32(height).U16(1).U16(bits).U32(compression).U32(0).U32(0).U32(0);
  b.U32(colours).U32(0);
  return b;
}

void SetDataOffset(Bytes& bytes, std::size_t offset) {
  for (int i = 0; i < 4; ++i)
    bytes[10 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(offset >> (8 * i));
}

Picture Expected(int width, int height, std::initializer_list<std::uint32_t> pixels) {
  return Picture{width, height,
                 platform::gdi::PixelMemory::CopyOf(std::vector<std::uint32_t>(pixels))};
}

void ExpectPixels(Bytes file, const Picture& expected, bool checkWithImageMagick = true) {
  if (file[0] == 'B') {  // ImageMagick wants the BMP's file size right
    for (std::size_t i = 0; i < 4; ++i)
      file[2 + i] = static_cast<std::uint8_t>(file.size() >> (8 * i));
  }
  const std::optional<Picture> decoded = nviewlib::DecodePicture(file);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->width, expected.width);
  EXPECT_EQ(decoded->height, expected.height);
  EXPECT_EQ(decoded->pixels, expected.pixels);
  if (checkWithImageMagick) {
    TempFolder folder;
    WriteFile(folder / "file", file);
    EXPECT_EQ(LargestDifference(*decoded, ReferencePixels(folder / "file")), 0);
  }
}

// Colour i of a 16-entry palette; 0 is black, as the pixels RLE never reaches.
std::uint32_t Colour16(int i) {
  return i == 0 ? 0 : nviewlib::Rgb(16 * i, 255 - 16 * i, 8 * i);
}

Bytes Rle4Bmp(bool complete) {
  Builder b = InfoBmp(4, 3, 4, 2, 16);
  for (int i = 0; i < 16; ++i) {
    const std::uint32_t c = Colour16(i);
    b.U8({static_cast<int>(c & 0xFF), static_cast<int>(c >> 8 & 0xFF), static_cast<int>(c >> 16),
          0});
  }
  SetDataOffset(b.bytes, b.bytes.size());
  b.U8({4, 0x12, 0, 0});                            // bottom row: 1 2 1 2, end of line
  b.U8({0, 3, 0x34, 0x50, 1, 0x60, 0, 0});          // absolute 3 4 5, then a run of one 6
  if (complete) b.U8({0, 2, 2, 0, 2, 0x77, 0, 1});  // skip two pixels, 7 7, end of bitmap
  return b.bytes;
}

TEST(HandBuiltBmp, Rle4RunsDeltasAndAbsoluteRuns) {
  ExpectPixels(Rle4Bmp(true), Expected(4, 3,
                                       {kBlack, kBlack, Colour16(7), Colour16(7),  //
                                        Colour16(3), Colour16(4), Colour16(5), Colour16(6),
                                        Colour16(1), Colour16(2), Colour16(1), Colour16(2)}));
  EXPECT_FALSE(nviewlib::DecodeBmp(Rle4Bmp(false)).has_value());
}

// A run longer than the row, and a delta past the bottom, stop at the edges.
TEST(HandBuiltBmp, Rle8RunsPastTheEdgesStop) {
  Builder b = InfoBmp(3, 2, 8, 1, 2);
  b.U8({0, 0, 255, 0}).U8({255, 0, 0, 0});  // red, blue
  SetDataOffset(b.bytes, b.bytes.size());
  b.U8({200, 1, 0, 0, 2, 0}).U8({0, 2, 1, 9, 0, 1});
  ExpectPixels(b.bytes, Expected(3, 2, {kRed, kRed, kBlack, kBlue, kBlue, kBlue}), false);
}

TEST(HandBuiltBmp, Os2OneBitWithThreeByteColours) {
  Builder b;
  b.U8({'B', 'M'}).U32(0).U32(0).U32(0);
  b.U32(12).U16(10).U16(2).U16(1).U16(1);
  b.U8({0, 0, 255}).U8({255, 0, 0});  // red, blue
  SetDataOffset(b.bytes, b.bytes.size());
  b.U8({0xFF, 0xC0, 0, 0});  // bottom row: all blue
  b.U8({0xA5, 0x40, 0, 0});  // top row
  ExpectPixels(b.bytes, Expected(10, 2, {kBlue, kRed,  kBlue, kRed,  kRed,  kBlue, kRed,
                                         kBlue, kRed,  kBlue, kBlue, kBlue, kBlue, kBlue,
                                         kBlue, kBlue, kBlue, kBlue, kBlue, kBlue}));
}

TEST(HandBuiltBmp, SixteenBitsWithoutFieldsAre555) {
  Builder b = InfoBmp(3, 2, 16, 0);
  SetDataOffset(b.bytes, b.bytes.size());
  b.U16(0x7FFF).U16(0x0000).U16(0x4210).U16(0);             // bottom row + padding
  b.U16(0x7C00).U16(0x03E0).U16(0x001F).U16(0x8000);        // top row; the top bit means nothing
  const std::uint32_t grey = nviewlib::Rgb(132, 132, 132);  // 16 of 31, rounded
  ExpectPixels(b.bytes, Expected(3, 2, {kRed, kGreen, kBlue, kWhite, kBlack, grey}));
}

// Negative height: rows run top down. The fourth byte of a plain 32-bit pixel is not alpha, as
// Windows reads it (ImageMagick takes it for alpha: not compared).
TEST(HandBuiltBmp, TopDownThirtyTwoBits) {
  Builder b = InfoBmp(2, -2, 32, 0);
  SetDataOffset(b.bytes, b.bytes.size());
  b.U8({0, 0, 255, 0}).U8({0, 255, 0, 0x80}).U8({255, 0, 0, 0xFF}).U8({255, 255, 255, 0});
  ExpectPixels(b.bytes, Expected(2, 2, {kRed, kGreen, kBlue, kWhite}), false);
}

// An alpha mask whose values are all zero: writers that leave alpha unset, not a clear picture.
TEST(HandBuiltBmp, AllZeroAlphaIsOpaque) {
  Builder b = InfoBmp(2, 1, 32, 6);
  b.U32(0xFF0000).U32(0xFF00).U32(0xFF).U32(0xFF000000);
  SetDataOffset(b.bytes, b.bytes.size());
  b.U8({0, 0, 255, 0}).U8({255, 0, 0, 0});
  ExpectPixels(b.bytes, Expected(2, 1, {kRed, kBlue}), false);
}

Builder PcxHeader(int width, int height, int bits, int planes, int bytesPerLine,
                  std::initializer_list<std::uint32_t> palette) {
  Builder b;
  b.U8({0x0A, 5, 1, bits}).U16(0).U16(0).U16(width - 1).U16(height - 1).U16(72).U16(72);
  std::size_t written = 0;
  for (std::uint32_t c : palette) {
    b.U8({static_cast<int>(c >> 16), static_cast<int>(c >> 8 & 0xFF), static_cast<int>(c & 0xFF)});
    ++written;
  }
  b.Zeros(48 - written * 3).U8({0, planes}).U16(bytesPerLine).U16(1).Zeros(58);
  return b;
}

// Set bits are white, as ZSoft's monochrome and most readers have it (ImageMagick inverts them
// when the header palette is empty: not compared).
TEST(HandBuiltPcx, OneBitIsBlackAndWhite) {
  Builder b = PcxHeader(10, 2, 1, 1, 2, {});
  b.U8({0xB0, 0x40});              // 1 0 1 1 0 0 0 0 | 0 1
  b.U8({0xC1, 0xFF, 0xC1, 0xC0});  // bytes from 0xC0 up must be written as runs
  ExpectPixels(b.bytes, Expected(10, 2, {kWhite, kBlack, kWhite, kWhite, kBlack, kBlack, kBlack,
                                         kBlack, kBlack, kWhite, kWhite, kWhite, kWhite, kWhite,
                                         kWhite, kWhite, kWhite, kWhite, kWhite, kWhite}),
               false);
}

TEST(HandBuiltPcx, FourBitPlanesIndexTheHeaderPalette) {
  std::initializer_list<std::uint32_t> palette = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  Builder b = PcxHeader(4, 2, 1, 4, 2, palette);
  // Row 0 planes: 1010, 1100, 0000, 1000 -> indices 11 2 1 0. Row 1: a run of 0xFF over all
  // four planes (eight bytes, carried across the planes) -> index 15 everywhere.
  b.U8({0xA0, 0, 0xC1, 0xC0, 0, 0, 0, 0x80, 0});
  b.U8({0xC8, 0xFF});
  ExpectPixels(b.bytes, Expected(4, 2,
                                 {0xFFFF00, 0x008000, 0x800000, 0x000000,  //
                                  kWhite, kWhite, kWhite, kWhite}));
}

}  // namespace
}  // namespace nviewlib_test
