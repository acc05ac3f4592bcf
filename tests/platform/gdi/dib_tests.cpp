// LoadBitmap of .bmp resources built byte by byte: every depth and row order, and files that
// lie about their sizes.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gdi/gdi_probe.h"
#include "platform/resources.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Grid = std::vector<std::uint32_t>;

void Put16(Bytes& out, std::size_t at, std::uint32_t value) {
  out[at] = value & 0xFF;
  out[at + 1] = (value >> 8) & 0xFF;
}
void Put32(Bytes& out, std::size_t at, std::uint32_t value) {
  Put16(out, at, value & 0xFFFF);
  Put16(out, at + 2, value >> 16);
}

struct DibLayout {
  int bits = 24;
  int width = 0;
  int height = 0;  // negative: top-down
  Grid palette;    // 0x00RRGGBB entries, for 1, 4 and 8 bits
  // Per pixel, top row first: a palette index for indexed depths, else 0x00RRGGBB.
  Grid values;
};

Bytes BuildDib(const DibLayout& layout) {
  const int rows = layout.height < 0 ? -layout.height : layout.height;
  const std::size_t stride = ((static_cast<std::size_t>(layout.width) * layout.bits + 31) / 32) * 4;
  const std::size_t offset = 14 + 40 + layout.palette.size() * 4;
  Bytes out(offset + stride * rows, 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<std::uint32_t>(out.size()));
  Put32(out, 10, static_cast<std::uint32_t>(offset));
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<std::uint32_t>(layout.width));
  Put32(out, 22, static_cast<std::uint32_t>(layout.height));
  Put16(out, 26, 1);
  Put16(out, 28, static_cast<std::uint32_t>(layout.bits));
  Put32(out, 46, static_cast<std::uint32_t>(layout.palette.size()));
  for (std::size_t i = 0; i < layout.palette.size(); ++i) {
    Put32(out, 54 + i * 4, layout.palette[i] | 0xAB000000);  // the reserved byte is ignored
  }
  for (int row = 0; row < rows; ++row) {
    const int stored = layout.height < 0 ? row : rows - 1 - row;
    unsigned char* line = out.data() + offset + stride * stored;
    for (int x = 0; x < layout.width; ++x) {
      const std::uint32_t value = layout.values[static_cast<std::size_t>(row) * layout.width + x];
      switch (layout.bits) {
        case 32:
          line[4 * x + 3] = 0x7F;  // alpha is not colour
          [[fallthrough]];
        case 24:
          line[layout.bits / 8 * x] = value & 0xFF;
          line[layout.bits / 8 * x + 1] = (value >> 8) & 0xFF;
          line[layout.bits / 8 * x + 2] = (value >> 16) & 0xFF;
          break;
        default: {
          const int perByte = 8 / layout.bits;
          const int shift = 8 - layout.bits * (x % perByte + 1);
          line[x / perByte] |= static_cast<unsigned char>(value << shift);
        }
      }
    }
  }
  return out;
}

class DibTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::gdi::ResetGdi(); }
  void TearDown() override {
    EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});
  }

  // Registers the bytes under a fresh name and loads them. The resource table keeps pointers,
  // so the bytes and names live as long as the process.
  static HBITMAP Load(Bytes bytes) {
    static std::deque<Bytes> files;
    static std::deque<std::string> names;
    files.push_back(std::move(bytes));
    names.push_back("DIB" + std::to_string(names.size()));
    platform::RegisterResource(platform::Resource{platform::ResourceType::Bitmap,
                                                  names.back().c_str(), 0, files.back().data(),
                                                  files.back().size()});
    return LoadBitmap(nullptr, names.back().c_str());
  }

  // Loads, checks size and pixels, deletes.
  void ExpectPixels(const DibLayout& layout, const Grid& expected) {
    HBITMAP bitmap = Load(BuildDib(layout));
    ASSERT_NE(bitmap, nullptr) << layout.bits << " bits";
    BITMAP info{};
    GetObject(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, layout.width);
    EXPECT_EQ(info.bmHeight, layout.height < 0 ? -layout.height : layout.height);
    EXPECT_EQ(gdi_test::Pixels(bitmap), expected) << layout.bits << " bits";
    DeleteObject(bitmap);
  }
};

Grid Colours(const Grid& palette, const Grid& indices) {
  Grid out;
  for (std::uint32_t index : indices) out.push_back(index < palette.size() ? palette[index] : 0);
  return out;
}

TEST_F(DibTest, IndexedDepthsUseTheirColourTable) {
  // Widths that leave padding at the end of every row.
  const Grid two{0x000000, 0xFFEEDD};
  const Grid oneBit{1, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0, 0, 0, 1};
  ExpectPixels({1, 10, 2, two, oneBit}, Colours(two, oneBit));

  Grid sixteen;
  for (std::uint32_t i = 0; i < 16; ++i) sixteen.push_back(i * 0x111111);
  const Grid fourBit{15, 0, 7, 8, 1, 2, 3, 4, 5, 14};
  ExpectPixels({4, 5, -2, sixteen, fourBit}, Colours(sixteen, fourBit));

  // A short colour table (biClrUsed): indices past it read black.
  const Grid three{0x102030, 0x405060, 0x708090};
  const Grid eightBit{0, 1, 2, 2, 1, 0, 200, 2, 1};
  ExpectPixels({8, 3, 3, three, eightBit}, Colours(three, eightBit));
}

TEST_F(DibTest, TrueColourDepthsBothRowOrders) {
  const Grid colours{0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF, 0x010203};
  for (int bits : {24, 32}) {
    ExpectPixels({bits, 3, 2, {}, colours}, colours);
    ExpectPixels({bits, 3, -2, {}, colours}, colours);
    ExpectPixels({bits, 1, 6, {}, colours}, colours);
  }
}

TEST_F(DibTest, MalformedFilesLoadNothing) {
  const DibLayout good{24, 4, 3, {}, Grid(12, 0x123456)};
  const Bytes valid = BuildDib(good);
  ASSERT_NE(Load(valid), nullptr);  // the baseline loads: tear it down below
  platform::gdi::ResetGdi();

  Bytes truncated = valid;
  truncated.pop_back();
  EXPECT_EQ(Load(truncated), nullptr);
  EXPECT_EQ(Load(Bytes(valid.begin(), valid.begin() + 30)), nullptr);

  Bytes huge = valid;
  Put32(huge, 18, 100000);
  Put32(huge, 22, 100000);
  EXPECT_EQ(Load(huge), nullptr);
  Bytes minHeight = valid;
  Put32(minHeight, 22, 0x80000000);
  EXPECT_EQ(Load(minHeight), nullptr);
  Bytes zeroWidth = valid;
  Put32(zeroWidth, 18, 0);
  EXPECT_EQ(Load(zeroWidth), nullptr);

  Bytes offsetBeyond = valid;
  Put32(offsetBeyond, 10, 0xFFFFFFF0);
  EXPECT_EQ(Load(offsetBeyond), nullptr);
  Bytes offsetInHeader = valid;
  Put32(offsetInHeader, 10, 20);
  EXPECT_EQ(Load(offsetInHeader), nullptr);
  Bytes headerBeyond = valid;
  Put32(headerBeyond, 14, 0xFFFFFFFF);
  EXPECT_EQ(Load(headerBeyond), nullptr);

  Bytes signature = valid;
  signature[0] = 'X';
  EXPECT_EQ(Load(signature), nullptr);
  Bytes compressed = valid;
  Put32(compressed, 30, 1);  // BI_RLE8
  EXPECT_EQ(Load(compressed), nullptr);
  Bytes sixteenBits = valid;
  Put16(sixteenBits, 28, 16);
  EXPECT_EQ(Load(sixteenBits), nullptr);

  // A colour table claiming more entries than the depth allows, or than the file holds.
  Bytes palette = BuildDib({4, 2, 2, Grid(16, 0), Grid(4, 0)});
  Put32(palette, 46, 17);
  EXPECT_EQ(Load(palette), nullptr);
  Bytes shortFile = BuildDib({8, 1, 1, Grid(2, 0), Grid(1, 0)});
  Put32(shortFile, 46, 256);
  EXPECT_EQ(Load(shortFile), nullptr);

  EXPECT_EQ(LoadBitmap(nullptr, "NO SUCH BITMAP"), nullptr);
}

}  // namespace
