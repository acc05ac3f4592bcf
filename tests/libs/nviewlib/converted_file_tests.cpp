// Every kind and variant ImageMagick can write, decoded and compared pixel by pixel with an
// independent decoder.
#include <gtest/gtest.h>

#include "libs/nviewlib/picture_decoder.h"
#include "tests/libs/nviewlib/picture_files.h"

namespace nviewlib_test {
namespace {

enum class Reference { ImageMagick, Djpeg, Dwebp };

struct Variant {
  const char* name;
  const char* options;  // for /usr/bin/convert
  const char* target;   // format prefix and file name
  Reference reference = Reference::ImageMagick;
  // Channel difference allowed: 0 where both sides run the same arithmetic; 1-2 where the
  // reference rounds a conversion (CMYK, alpha over black) its own way.
  int tolerance = 0;
};

const Variant kVariants[] = {
    {"JpegBaseline", "-quality 90", "JPEG:pic.jpg", Reference::Djpeg},
    {"JpegProgressive", "-interlace JPEG", "JPEG:pic.jpg", Reference::Djpeg},
    {"JpegGrey", "-colorspace Gray", "JPEG:pic.jpg", Reference::Djpeg},
    {"JpegSubsampled420", "-sampling-factor 2x2", "JPEG:pic.jpg", Reference::Djpeg},
    {"JpegCmykAdobe", "-colorspace CMYK", "JPEG:pic.jpg", Reference::ImageMagick, 2},
    {"Bmp24", "-type TrueColor", "BMP3:pic.bmp"},
    {"Bmp8", "-type Palette", "BMP3:pic.bmp"},
    {"Bmp4", "-colors 16", "BMP3:pic.bmp"},
    {"Bmp1", "-monochrome", "BMP3:pic.bmp"},
    {"BmpRle8", "-type Palette -compress RLE", "BMP3:pic.bmp"},
    {"BmpOs2", "", "BMP2:pic.bmp"},
    // Five- and six-bit channels: widened by rounding here, by repeating bits in ImageMagick.
    {"Bmp565", "-define bmp:subtype=RGB565", "BMP:pic.bmp", Reference::ImageMagick, 1},
    {"Bmp555", "-define bmp:subtype=RGB555", "BMP:pic.bmp", Reference::ImageMagick, 1},
    {"Bmp32Alpha", "-alpha set -channel A -evaluate set 50% +channel", "BMP:pic.bmp",
     Reference::ImageMagick, 1},
    {"Gif", "", "GIF:pic.gif"},
    {"GifInterlaced", "-interlace GIF", "GIF:pic.gif"},
    {"GifTransparent", "-alpha set -channel A -fx \"i<10?0:1\" +channel", "GIF:pic.gif"},
    {"GifFrameOnLargerScreen", "-page 60x50+7+9", "GIF:pic.gif"},
    {"TiffLzw", "-compress LZW", "TIFF:pic.tif"},
    {"TiffGrey", "-colorspace Gray -compress None", "TIFF:pic.tif"},
    // libtiff reduces the 16-bit colour map by a shift, ImageMagick by rounding.
    {"TiffPalette", "-type Palette", "TIFF:pic.tif", Reference::ImageMagick, 1},
    {"TiffAlpha", "-alpha set -channel A -evaluate set 50% +channel", "TIFF:pic.tif",
     Reference::ImageMagick, 1},
    {"Pcx24", "", "PCX:pic.pcx"},
    {"Pcx8", "-type Palette", "PCX:pic.pcx"},
    {"Png", "", "PNG24:pic.png"},
    {"PngPalette", "", "PNG8:pic.png"},
    {"PngGrey", "-colorspace Gray", "PNG:pic.png"},
    {"PngAlpha", "-alpha set -channel A -evaluate set 50% +channel", "PNG32:pic.png",
     Reference::ImageMagick, 1},
    // Sixteen bits and no stated gamma: sRGB like any other picture, not linear light.
    {"Png16WithoutGamma", "-depth 16 -define png:exclude-chunk=gAMA,cHRM,sRGB,bKGD",
     "PNG48:pic.png"},
    {"WebpLossless", "-define webp:lossless=true", "WEBP:pic.webp"},
    {"WebpLossy", "-quality 80", "WEBP:pic.webp", Reference::Dwebp},
};

class ConvertedFile : public testing::TestWithParam<Variant> {};

TEST_P(ConvertedFile, ShowsWhatAnIndependentDecoderShows) {
  const Variant& variant = GetParam();
  TempFolder folder;
  WriteSourcePicture(folder / "source.ppm", 37, 23);
  const std::string target = variant.target;
  const std::string format = target.substr(0, target.find(':') + 1);
  const auto file = folder / target.substr(target.find(':') + 1);
  Convert(folder / "source.ppm", variant.options, format + file.string());

  Picture expected;
  switch (variant.reference) {
    case Reference::ImageMagick:
      expected = ReferencePixels(file);
      break;
    case Reference::Djpeg:
      expected = ParsePnm(RunCommand("djpeg -pnm '" + file.string() + "'"));
      break;
    case Reference::Dwebp:
      RunCommand("dwebp -quiet -ppm '" + file.string() + "' -o '" + (folder / "ref.ppm").string() +
                 "'");
      expected = ParsePnm(ReadFile(folder / "ref.ppm"));
      break;
  }
  const Bytes bytes = ReadFile(file);
  const std::optional<Picture> decoded = nviewlib::DecodePicture(bytes);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->width, expected.width);
  EXPECT_EQ(decoded->height, expected.height);
  EXPECT_LE(LargestDifference(*decoded, expected), variant.tolerance);
  // GDI's pixels keep their top byte clear.
  for (std::uint32_t pixel : decoded->pixels) ASSERT_EQ(pixel >> 24, 0u);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, ConvertedFile, testing::ValuesIn(kVariants),
                         [](const testing::TestParamInfo<Variant>& param) {
                           return std::string(param.param.name);
                         });

// Inverted (Adobe) CMYK read as plain CMYK would turn red into cyan.
TEST(CmykJpeg, KeepsItsHues) {
  TempFolder folder;
  RunCommand("/usr/bin/convert -size 16x16 xc:red -colorspace CMYK -quality 100 'JPEG:" +
             (folder / "red.jpg").string() + "'");
  const std::optional<Picture> decoded = nviewlib::DecodePicture(ReadFile(folder / "red.jpg"));
  ASSERT_TRUE(decoded.has_value());
  const std::uint32_t pixel = decoded->pixels[8 * 16 + 8];
  EXPECT_GT(pixel >> 16 & 0xFF, 240u);
  EXPECT_LT(pixel >> 8 & 0xFF, 16u);
  EXPECT_LT(pixel & 0xFF, 16u);
}

// Multi-page TIFF and animated GIF: the first page or frame, never a later one.
TEST(SeveralFrames, TheFirstIsShown) {
  TempFolder folder;
  WriteSourcePicture(folder / "a.ppm", 20, 10);
  Convert(folder / "a.ppm", "-negate", (folder / "b.ppm").string());
  for (const char* target : {"TIFF:pages.tif", "GIF:frames.gif"}) {
    const std::string text = target;
    const std::string name = text.substr(text.find(':') + 1);
    RunCommand("/usr/bin/convert '" + (folder / "a.ppm").string() + "' '" +
               (folder / "b.ppm").string() + "' '" + text.substr(0, text.find(':') + 1) +
               (folder / name).string() + "'");
    const std::optional<Picture> decoded = nviewlib::DecodePicture(ReadFile(folder / name));
    ASSERT_TRUE(decoded.has_value()) << name;
    EXPECT_EQ(LargestDifference(*decoded, ReferencePixels(folder / name)), 0) << name;
  }
}

}  // namespace
}  // namespace nviewlib_test
