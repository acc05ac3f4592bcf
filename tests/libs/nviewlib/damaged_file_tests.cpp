// Truncated, corrupt and huge-header files: each gives nothing, never a crash, a hang or a large
// allocation. Work is bounded by construction (sizes refused before allocating, every loop
// consuming input); the timings printed are for the reader, not asserted.
#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <random>

#include "libs/nviewlib/picture_decoder.h"
#include "tests/libs/nviewlib/picture_files.h"

namespace nviewlib_test {
namespace {

struct Sample {
  const char* name;
  const char* options;
  const char* target;
};

const Sample kSamples[] = {
    {"jpeg", "", "JPEG:pic.jpg"},
    {"progressive", "-interlace JPEG", "JPEG:pic.jpg"},
    {"bmp", "", "BMP3:pic.bmp"},
    {"rle8", "-type Palette -compress RLE", "BMP3:pic.bmp"},
    {"gif", "", "GIF:pic.gif"},
    {"tiff", "-compress LZW", "TIFF:pic.tif"},
    {"pcx8", "-type Palette", "PCX:pic.pcx"},
    {"pcx24", "", "PCX:pic.pcx"},
    {"png", "", "PNG:pic.png"},
    {"webp", "-quality 80", "WEBP:pic.webp"},
};

Bytes MakeSample(const TempFolder& folder, const Sample& sample) {
  WriteSourcePicture(folder / "source.ppm", 61, 47);
  const std::string target = sample.target;
  const auto file = folder / target.substr(target.find(':') + 1);
  // Stripped: no metadata after the pixels, so that any cut reaches picture data.
  Convert(folder / "source.ppm", std::string("-strip ") + sample.options,
          target.substr(0, target.find(':') + 1) + file.string());
  return ReadFile(file);
}

std::optional<nviewlib::Picture> Decode(const Bytes& bytes) {
  return nviewlib::DecodePicture(bytes);
}

TEST(DamagedFile, TruncatedGivesNothing) {
  TempFolder folder;
  for (const Sample& sample : kSamples) {
    const Bytes whole = MakeSample(folder, sample);
    ASSERT_TRUE(Decode(whole).has_value()) << sample.name;
    for (double kept : {0.0, 0.02, 0.1, 0.3, 0.6, 0.9}) {
      const Bytes cut(whole.begin(),
                      whole.begin() + static_cast<std::ptrdiff_t>(whole.size() * kept));
      EXPECT_FALSE(Decode(cut).has_value()) << sample.name << " cut to " << kept;
    }
  }
}

// Flipped bytes anywhere: the result may be a picture or nothing, but every read stays inside
// the file (the sanitizer build checks that) and every decode ends.
TEST(DamagedFile, CorruptBytesNeverCrash) {
  TempFolder folder;
  std::mt19937 random(20240607);
  for (const Sample& sample : kSamples) {
    const Bytes whole = MakeSample(folder, sample);
    const auto start = std::chrono::steady_clock::now();
    double slowest = 0;
    for (int round = 0; round < 150; ++round) {
      Bytes corrupt = whole;
      const int flips = 1 + static_cast<int>(random() % 8);
      for (int i = 0; i < flips; ++i) {
        // Headers are where the damage hurts most: aim half the flips at the first 64 bytes.
        const std::size_t span =
            (i % 2 == 0) ? std::min<std::size_t>(64, corrupt.size()) : corrupt.size();
        corrupt[random() % span] ^= static_cast<std::uint8_t>(1 + random() % 255);
      }
      const auto one = std::chrono::steady_clock::now();
      if (std::optional<nviewlib::Picture> picture = Decode(corrupt)) {
        ASSERT_EQ(picture->pixels.size(), static_cast<std::size_t>(picture->width) *
                                              static_cast<std::size_t>(picture->height));
      }
      slowest = std::max(
          slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - one).count());
    }
    std::printf("  %-12s 150 corrupt copies in %.3f s, slowest %.4f s\n", sample.name,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                slowest);
  }
}

void PutBig16(Bytes& bytes, std::size_t at, unsigned value) {
  bytes[at] = static_cast<std::uint8_t>(value >> 8);
  bytes[at + 1] = static_cast<std::uint8_t>(value);
}
void PutLittle16(Bytes& bytes, std::size_t at, unsigned value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
void PutLittle32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
void PutBig32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// Small files that declare pictures beyond the limit (a side over 32,768 or more than 256
// megapixels), or a size their data cannot fill: refused before a single pixel is allocated.
TEST(DamagedFile, HugeDeclaredSizesAreRefusedBeforeAllocating) {
  TempFolder folder;
  std::vector<std::pair<std::string, Bytes>> huge;
  auto sample = [&](const char* target) { return MakeSample(folder, Sample{"", "", target}); };

  Bytes bmp = sample("BMP3:pic.bmp");
  PutLittle32(bmp, 18, 20000);  // 20000 x 20000: 400 megapixels
  PutLittle32(bmp, 22, 20000);
  huge.emplace_back("bmp 20000x20000", bmp);
  PutLittle32(bmp, 18, 40000);
  PutLittle32(bmp, 22, 1);
  huge.emplace_back("bmp 40000 wide", bmp);
  PutLittle32(bmp, 18, 16000);  // within the limit, but the rows are not in the file
  PutLittle32(bmp, 22, 16000);
  huge.emplace_back("bmp rows missing", bmp);

  Bytes rle = sample("BMP3:pic.bmp");  // 16000 x 16000 in RLE8 that ends at once
  PutLittle32(rle, 18, 16000);
  PutLittle32(rle, 22, 16000);
  rle[28] = 8;
  rle[30] = 1;
  std::fill(rle.begin() + 54, rle.end(), 0);
  rle[55] = 1;
  huge.emplace_back("bmp rle claiming far more than its bytes", rle);

  Bytes pcx = sample("PCX:pic.pcx");
  PutLittle16(pcx, 8, 65535);
  PutLittle16(pcx, 10, 65535);
  PutLittle16(pcx, 66, 65535);
  huge.emplace_back("pcx 65536x65536", pcx);
  PutLittle16(pcx, 8, 15999);
  PutLittle16(pcx, 10, 15999);
  PutLittle16(pcx, 66, 16000);
  huge.emplace_back("pcx data too short", pcx);

  Bytes gif = sample("GIF:pic.gif");
  PutLittle16(gif, 6, 65535);
  PutLittle16(gif, 8, 65535);
  huge.emplace_back("gif screen 65535x65535", gif);
  PutLittle16(gif, 6, 16000);
  PutLittle16(gif, 8, 16000);
  huge.emplace_back("gif screen far larger than its frame", gif);

  Bytes png = sample("PNG:pic.png");
  PutBig32(png, 16, 40000);
  PutBig32(png, 20, 40000);
  PutBig32(png, 29, static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17)));
  huge.emplace_back("png 40000x40000", png);

  Bytes jpeg = sample("JPEG:pic.jpg");
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {  // start of frame: height, width
      PutBig16(jpeg, i + 5, 65000);
      PutBig16(jpeg, i + 7, 65000);
      break;
    }
  }
  huge.emplace_back("jpeg 65000x65000", jpeg);

  // A hand-made TIFF: one IFD declaring 100000 x 100000 RGB.
  Bytes tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
  const std::uint16_t tags[][3] = {{256, 4, 0}, {257, 4, 0}, {258, 3, 8},
                                   {259, 3, 1}, {262, 3, 2}, {273, 4, 200},
                                   {277, 3, 3}, {278, 4, 1}, {279, 4, 3}};
  tiff.resize(8 + 2 + 9 * 12 + 4 + 100, 0);
  PutLittle16(tiff, 8, 9);
  for (std::size_t i = 0; i < 9; ++i) {
    const std::size_t at = 10 + i * 12;
    PutLittle16(tiff, at, tags[i][0]);
    PutLittle16(tiff, at + 2, tags[i][1]);
    PutLittle32(tiff, at + 4, 1);
    PutLittle32(tiff, at + 8, i < 2 ? 100000u : tags[i][2]);
  }
  huge.emplace_back("tiff 100000x100000", tiff);

  for (const auto& [name, bytes] : huge) {
    const std::int64_t before = nviewlib::PixelsAllocated();
    EXPECT_FALSE(Decode(bytes).has_value()) << name;
    EXPECT_EQ(nviewlib::PixelsAllocated(), before) << name;
  }
}

// Files that are plainly broken in one known place.
TEST(DamagedFile, KnownCorruptionsGiveNothing) {
  TempFolder folder;
  auto sample = [&](const char* options, const char* target) {
    return MakeSample(folder, Sample{"", options, target});
  };
  std::vector<std::pair<std::string, Bytes>> broken;
  Bytes bmp = sample("", "BMP3:pic.bmp");
  bmp[28] = 7;  // seven bits a pixel
  broken.emplace_back("bmp depth 7", bmp);
  bmp = sample("", "BMP3:pic.bmp");
  bmp[30] = 1;  // RLE8 on a 24-bit picture
  broken.emplace_back("bmp rle on 24 bits", bmp);
  Bytes pcx = sample("", "PCX:pic.pcx");
  pcx[65] = 2;  // two 8-bit planes
  broken.emplace_back("pcx two planes", pcx);
  PutLittle16(pcx, 66, 3);  // lines shorter than the picture
  pcx[65] = 3;
  broken.emplace_back("pcx short lines", pcx);
  Bytes png = sample("", "PNG:pic.png");
  png[20] ^= 1;  // IHDR no longer matches its CRC
  broken.emplace_back("png bad crc", png);
  Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0, 0, 0, ';'};
  broken.emplace_back("gif without a frame", gif);
  Bytes jpeg = sample("", "JPEG:pic.jpg");
  for (std::size_t i = jpeg.size() / 2; i < jpeg.size() - 2; ++i) jpeg[i] = 0x5A;
  broken.emplace_back("jpeg scan overwritten", jpeg);
  broken.emplace_back("unknown kind", Bytes{'h', 'e', 'l', 'l', 'o'});
  broken.emplace_back("empty", Bytes{});
  for (const auto& [name, bytes] : broken) EXPECT_FALSE(Decode(bytes).has_value()) << name;
}

}  // namespace
}  // namespace nviewlib_test
