#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/dib_reader.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/resources.h"
#include "platform/win32.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le32(const Bytes& bytes, std::size_t at) {
  return bytes.at(at) | bytes.at(at + 1) << 8 | bytes.at(at + 2) << 16 |
         static_cast<std::uint32_t>(bytes.at(at + 3)) << 24;
}
std::uint16_t Le16(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes.at(at) | bytes.at(at + 1) << 8);
}

// The committed logo decoded by hand: it must be the plain layout the artwork promises
// (8 bits, BI_RGB, a full 256-entry table, bottom-up), each index looked up in the table.
struct Logo {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
};

Logo DecodeCommittedLogo(const Bytes& file) {
  EXPECT_EQ(file.at(0), 'B');
  EXPECT_EQ(file.at(1), 'M');
  const std::uint32_t bitsOffset = Le32(file, 10);
  const std::uint32_t headerSize = Le32(file, 14);
  Logo logo;
  logo.width = static_cast<int>(Le32(file, 18));
  logo.height = static_cast<int>(Le32(file, 22));
  EXPECT_EQ(headerSize, 40u);
  EXPECT_EQ(Le16(file, 28), 8) << "bits per pixel";
  EXPECT_EQ(Le32(file, 30), 0u) << "compression";
  const std::uint32_t used = Le32(file, 46);
  EXPECT_TRUE(used == 0 || used == 256) << "colour table of " << used;
  EXPECT_EQ(bitsOffset, 14 + headerSize + 256 * 4);

  const std::size_t table = 14 + headerSize;
  const std::size_t stride = (static_cast<std::size_t>(logo.width) + 3) & ~std::size_t{3};
  EXPECT_GE(file.size(), bitsOffset + stride * static_cast<std::size_t>(logo.height));
  for (int y = 0; y < logo.height; ++y) {
    const std::size_t row = bitsOffset + stride * static_cast<std::size_t>(logo.height - 1 - y);
    for (int x = 0; x < logo.width; ++x) {
      const std::size_t entry = table + 4 * std::size_t{file.at(row + x)};
      logo.pixels.push_back(static_cast<std::uint32_t>(file.at(entry + 2)) << 16 |
                            file.at(entry + 1) << 8 | file.at(entry));
    }
  }
  return logo;
}

std::string_view Text(const platform::Resource* resource) {
  return {reinterpret_cast<const char*>(resource->data), resource->size};
}

TEST(Resources, LogoLoadsAsTheCommittedArtwork) {
  platform::gdi::ResetGdi();
  const Logo expected = DecodeCommittedLogo(ReadFile(TAVRIN_LOGO_FILE));
  ASSERT_EQ(expected.width, 548);
  ASSERT_EQ(expected.height, 139);

  HBITMAP bitmap = LoadBitmap(GetModuleHandle(nullptr), "LOGODIB");
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  ASSERT_EQ(GetObject(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 548);
  EXPECT_EQ(info.bmHeight, 139);
  EXPECT_EQ(gdi_test::Pixels(bitmap), expected.pixels);

  // Artwork, not a blank: a black field with the name drawn on it in many colours.
  std::vector<std::uint32_t> colours = expected.pixels;
  std::sort(colours.begin(), colours.end());
  colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
  EXPECT_GT(colours.size(), 100u);
  EXPECT_EQ(expected.pixels.front(), 0u);

  DeleteObject(bitmap);
  EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});
}

TEST(Resources, IconIsASmallBitmap) {
  const platform::Resource* icon =
      platform::FindResource(platform::ResourceType::Icon, MAKEINTRESOURCE(100));
  ASSERT_NE(icon, nullptr);
  std::optional<platform::gdi::DecodedDib> dib = platform::gdi::DecodeDib(icon->data, icon->size);
  ASSERT_TRUE(dib.has_value());
  EXPECT_EQ(dib->width, 32);
  EXPECT_EQ(dib->height, 32);
}

TEST(Resources, NameAndDescriptionStrings) {
  const platform::Resource* name =
      platform::FindResource(platform::ResourceType::String, MAKEINTRESOURCE(1));
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(Text(name), "Tavrin");
  const platform::Resource* description =
      platform::FindResource(platform::ResourceType::String, "DESCRIPTION");
  ASSERT_NE(description, nullptr);
  EXPECT_EQ(Text(description), "SCRNSAVE : Tavrin");
  // Usable as C strings as well.
  EXPECT_STREQ(reinterpret_cast<const char*>(name->data), "Tavrin");
  // Strings are not bitmaps: the kinds stay apart.
  EXPECT_EQ(platform::FindResource(platform::ResourceType::Bitmap, MAKEINTRESOURCE(1)), nullptr);
}

TEST(Resources, EmbeddingKeepsEveryByteAndEveryCharacter) {
  const platform::Resource* bytes =
      platform::FindResource(platform::ResourceType::Bitmap, "ALL_BYTES");
  ASSERT_NE(bytes, nullptr);
  ASSERT_EQ(bytes->size, 256u);
  for (std::size_t i = 0; i < 256; ++i) EXPECT_EQ(bytes->data[i], i) << "byte " << i;

  const platform::Resource* text =
      platform::FindResource(platform::ResourceType::String, MAKEINTRESOURCE(4242));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(Text(text), "a \"quoted\" \\back\\slash, \xC3\xA9");
  EXPECT_EQ(text->data[text->size], 0);
}

}  // namespace
