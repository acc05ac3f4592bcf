// NViewLibLoad as the slide show calls it, linked directly with the program's GDI: files by
// path, kinds by content, bitmaps owned by the caller.
#include <gtest/gtest.h>

#include "libs/nviewlib/nviewlib.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/gdi/pixel_bitmap.h"
#include "tests/libs/nviewlib/picture_files.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace nviewlib_test {
namespace {

class Load : public testing::Test {
 protected:
  void SetUp() override { platform::gdi::ResetGdi(); }
  void TearDown() override { platform::gdi::ResetGdi(); }
  TempFolder folder;
};

TEST_F(Load, TheKindComesFromTheContentNotTheName) {
  WriteSourcePicture(folder / "source.ppm", 31, 17);
  Convert(folder / "source.ppm", "", "PNG:" + (folder / "picture.bmp").string());
  HBITMAP bitmap = NViewLibLoad((folder / "picture.bmp").c_str(), 0);
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  ASSERT_EQ(GetObject(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 31);
  EXPECT_EQ(info.bmHeight, 17);

  // The pixels reach GDI as decoded.
  const nviewlib::Picture expected = ReferencePixels(folder / "picture.bmp");
  EXPECT_EQ(gdi_test::Pixels(bitmap),
            std::vector<std::uint32_t>(expected.pixels.begin(), expected.pixels.end()));
  EXPECT_EQ(platform::gdi::CountLiveObjects(), (platform::gdi::LiveObjects{0, 1, 0}));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});
}

TEST_F(Load, NothingThatIsNotAPictureFile) {
  WriteFile(folder / "text.jpg", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});
  WriteFile(folder / "empty.bmp", Bytes{});
  for (const std::string& path : {(folder / "missing.jpg").string(), (folder / "text.jpg").string(),
                                  (folder / "empty.bmp").string(), folder.Path().string()}) {
    EXPECT_EQ(NViewLibLoad(path.c_str(), 0), nullptr) << path;
  }
  EXPECT_EQ(NViewLibLoad(nullptr, 0), nullptr);
  EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});
}

// The GDI call the library makes its bitmap with: the pixels become the bitmap's own, and sizes
// that disagree or exceed GDI's limit make nothing and keep the pixels.
TEST_F(Load, AdoptedPixelsBecomeALiveBitmap) {
  const std::vector<std::uint32_t> colours = {0x112233, 0x445566, 0x778899,
                                              0xAABBCC, 0xDDEEFF, 0x010203};
  platform::gdi::PixelMemory pixels = platform::gdi::PixelMemory::CopyOf(colours);
  EXPECT_EQ(platform::gdi::AdoptPixels(4, 2, std::move(pixels)), nullptr);
  // A refusal leaves the pixels alone: AdoptPixels takes them only when it makes the bitmap.
  EXPECT_EQ(pixels.size(), 6u);  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(platform::gdi::AdoptPixels(0, 0, platform::gdi::PixelMemory{}), nullptr);
  EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});

  HBITMAP bitmap = platform::gdi::AdoptPixels(3, 2, std::move(pixels));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(platform::gdi::CountLiveObjects(), (platform::gdi::LiveObjects{0, 1, 0}));
  BITMAP info{};
  GetObject(bitmap, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 3);
  EXPECT_EQ(info.bmHeight, 2);
  EXPECT_EQ(info.bmBitsPixel, 32);
  EXPECT_EQ(gdi_test::Pixels(bitmap), colours);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});
}

}  // namespace
}  // namespace nviewlib_test
