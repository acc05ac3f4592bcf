// Pictures come out upright: each format that carries an orientation tag, in all eight
// orientations, against ImageMagick's -auto-orient; and hostile EXIF counts as no tag.
#include <gtest/gtest.h>

#include <string>

#include "libs/nviewlib/orientation.h"
#include "libs/nviewlib/picture_decoder.h"
#include "tests/libs/nviewlib/picture_files.h"

namespace nviewlib_test {
namespace {

// ImageMagick's names for orientations 1..8.
const char* const kOrientationNames[] = {"TopLeft", "TopRight", "BottomRight", "BottomLeft",
                                         "LeftTop", "RightTop", "RightBottom", "LeftBottom"};

enum class Tagging { JpegApp1, PngExif, WebpExif, TiffTag };

struct TaggedFormat {
  const char* name;
  const char* target;   // format prefix and file name for /usr/bin/convert
  const char* options;  // for /usr/bin/convert
  Tagging tagging;
  // ImageMagick 6 (Debian 12) reads the tag of JPEG and TIFF, so those files are its reference
  // as they are; it ignores PNG's eXIf and WebP's EXIF, so for those the reference is the
  // untagged picture with the orientation given on its command line.
  bool imageMagickReadsTag;
  int tolerance;  // JPEG: both sides decode with libjpeg, but not with the same upsampling
};

const TaggedFormat kFormats[] = {
    {"Jpeg", "JPEG:pic.jpg", "-quality 100 -sampling-factor 1x1", Tagging::JpegApp1, true, 4},
    {"Png", "PNG24:pic.png", "", Tagging::PngExif, false, 0},
    // Interlaced: the rows are final only after the last pass.
    {"PngInterlaced", "PNG24:pic.png", "-interlace PNG", Tagging::PngExif, false, 0},
    {"WebpLossless", "WEBP:pic.webp", "-define webp:lossless=true", Tagging::WebpExif, false, 0},
    {"Tiff", "TIFF:pic.tif", "-define tiff:rows-per-strip=3", Tagging::TiffTag, true, 0},
};

class TaggedPicture : public testing::TestWithParam<TaggedFormat> {};

TEST_P(TaggedPicture, ComesOutUprightInEveryOrientation) {
  const TaggedFormat& format = GetParam();
  TempFolder folder;
  // 5 x 3 blocks of 8: wider than tall, and 24 rows, so that a batch boundary falls inside.
  const auto source = folder / "source.ppm";
  WriteBlockPicture(source, 5, 3, 8);
  const std::string target = format.target;
  const std::string prefix = target.substr(0, target.find(':') + 1);
  const auto untagged = folder / target.substr(target.find(':') + 1);
  Convert(source, format.options, prefix + untagged.string());

  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(std::string("orientation ") + kOrientationNames[orientation - 1]);
    const std::string name = kOrientationNames[orientation - 1];
    const auto tagged = folder / ("tagged-" + untagged.filename().string());
    switch (format.tagging) {
      case Tagging::JpegApp1:
        WriteFile(tagged, WithJpegExif(ReadFile(untagged), ExifBlock(orientation)));
        break;
      case Tagging::PngExif:
        WriteFile(tagged, WithPngExif(ReadFile(untagged), ExifBlock(orientation)));
        break;
      case Tagging::WebpExif:
        WriteFile(folder / "exif", ExifBlock(orientation));
        RunCommand("webpmux -set exif '" + (folder / "exif").string() + "' '" + untagged.string() +
                   "' -o '" + tagged.string() + "' 2>/dev/null");
        break;
      case Tagging::TiffTag:
        Convert(source, std::string(format.options) + " -orient " + name, prefix + tagged.string());
        break;
    }
    const Picture expected =
        format.imageMagickReadsTag
            ? ParsePnm(RunCommand("/usr/bin/convert '" + tagged.string() +
                                  "' -auto-orient -depth 8 ppm:-"))
            : ParsePnm(RunCommand("/usr/bin/convert '" + untagged.string() + "' -orient " + name +
                                  " -auto-orient -depth 8 ppm:-"));
    const std::optional<Picture> decoded = nviewlib::DecodePicture(ReadFile(tagged));
    ASSERT_TRUE(decoded.has_value());
    const bool sideways = orientation >= 5;
    EXPECT_EQ(decoded->width, sideways ? 24 : 40);
    EXPECT_EQ(decoded->height, sideways ? 40 : 24);
    EXPECT_LE(LargestDifference(*decoded, expected), format.tolerance);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryTaggedKind, TaggedPicture, testing::ValuesIn(kFormats),
                         [](const testing::TestParamInfo<TaggedFormat>& param) {
                           return std::string(param.param.name);
                         });

struct HostileExif {
  const char* name;
  Bytes bytes;
  int orientation;
};

// Entry bytes: tag 0x0112, type, count, value.
Bytes Ifd0(const Bytes& entries, std::uint8_t count, std::uint8_t offset = 8) {
  Bytes block = {'I', 'I', 42, 0, offset, 0, 0, 0, count, 0};
  block.insert(block.end(), entries.begin(), entries.end());
  return block;
}
const Bytes kSix = {0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0};

TEST(ExifOrientation, DamagedOrHostileBlocksCountAsUpright) {
  const HostileExif cases[] = {
      {"Sound", Ifd0(kSix, 1), 6},
      {"BigEndian",
       {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 8, 0, 0},
       8},
      {"ZeroValue", Ifd0({0x12, 0x01, 3, 0, 1, 0, 0, 0, 0, 0, 0, 0}, 1), 1},
      {"ValueNine", Ifd0({0x12, 0x01, 3, 0, 1, 0, 0, 0, 9, 0, 0, 0}, 1), 1},
      {"LongNotShort", Ifd0({0x12, 0x01, 4, 0, 1, 0, 0, 0, 6, 0, 0, 0}, 1), 1},
      {"CountOfTwo", Ifd0({0x12, 0x01, 3, 0, 2, 0, 0, 0, 6, 0, 0, 0}, 1), 1},
      {"EntryCutShort", Ifd0({0x12, 0x01, 3, 0, 1, 0, 0, 0, 6}, 1), 1},
      // More entries claimed than there are bytes: only those present are read.
      {"CountPastTheEnd", Ifd0(kSix, 0xFF), 6},
      {"IfdPastTheEnd", Ifd0(kSix, 1, 200), 1},
      {"IfdAtTheLastByte", {'I', 'I', 42, 0, 9, 0, 0, 0, 1, 0}, 1},
      {"NotTiff", {'X', 'X', 42, 0, 8, 0, 0, 0, 0, 0}, 1},
      {"Empty", {}, 1},
  };
  for (const HostileExif& exif : cases) {
    EXPECT_EQ(nviewlib::ExifOrientation(nviewlib::Bytes(exif.bytes)), exif.orientation)
        << exif.name;
    Bytes app1 = {'E', 'x', 'i', 'f', 0, 0};
    app1.insert(app1.end(), exif.bytes.begin(), exif.bytes.end());
    EXPECT_EQ(nviewlib::JpegExifOrientation(nviewlib::Bytes(app1)), exif.orientation) << exif.name;
  }
}

// RIFF chunks whose sizes run past the file, up to 4 GiB, end the search safely.
TEST(WebpOrientation, ChunkSizesPastTheEndCountAsUpright) {
  const Bytes exif = Ifd0(kSix, 1);
  auto riff = [&](std::uint32_t exifSize, bool padFirst) {
    Bytes file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'};
    // An odd-sized chunk first, padded to even as the container requires.
    file.insert(file.end(), {'V', 'P', '8', 'X', 1, 0, 0, 0, 0});
    if (padFirst) file.push_back(0);
    file.insert(file.end(), {'E', 'X', 'I', 'F', static_cast<std::uint8_t>(exifSize),
                             static_cast<std::uint8_t>(exifSize >> 8),
                             static_cast<std::uint8_t>(exifSize >> 16),
                             static_cast<std::uint8_t>(exifSize >> 24)});
    file.insert(file.end(), exif.begin(), exif.end());
    return file;
  };
  const auto size = static_cast<std::uint32_t>(exif.size());
  EXPECT_EQ(nviewlib::WebpOrientation(nviewlib::Bytes(riff(size, true))), 6);
  EXPECT_EQ(nviewlib::WebpOrientation(nviewlib::Bytes(riff(size, false))), 1);
  EXPECT_EQ(nviewlib::WebpOrientation(nviewlib::Bytes(riff(size + 1, true))), 1);
  EXPECT_EQ(nviewlib::WebpOrientation(nviewlib::Bytes(riff(0xFFFFFFFF, true))), 1);
}

}  // namespace
}  // namespace nviewlib_test
