// Every decoder asks whether to go on before it allocates and then as it goes, and when told to
// stop it gives up at once and returns nothing, leaking nothing (the sanitizer build checks).
#include <gtest/gtest.h>

#include "libs/nviewlib/picture_decoder.h"
#include "tests/libs/nviewlib/picture_files.h"

namespace nviewlib_test {
namespace {

// The stop question as a decoder sees it: counts the asks, answers true from ask `stopAt` on
// (0: never).
struct Asks {
  static inline int count = 0;
  static inline int stopAt = 0;
  static bool Ask() {
    ++count;
    return stopAt != 0 && count >= stopAt;
  }
  static void Reset(int stopFrom) {
    count = 0;
    stopAt = stopFrom;
  }
};

struct Kind {
  const char* name;
  const char* format;  // for /usr/bin/convert
};

const Kind kKinds[] = {
    {"Jpeg", "JPEG"}, {"JpegProgressive", "JPEG"},
    {"Bmp", "BMP3"},  {"BmpRle8", "BMP3"},
    {"Gif", "GIF"},   {"Tiff", "TIFF"},
    {"Pcx", "PCX"},   {"Png", "PNG"},
    {"Webp", "WEBP"}, {"WebpLossless", "WEBP"},
};

std::string OptionsFor(const std::string& name) {
  if (name == "JpegProgressive") return "-interlace JPEG";
  if (name == "BmpRle8") return "-type Palette -compress RLE";
  if (name == "Tiff") return "-define tiff:rows-per-strip=8";
  if (name == "WebpLossless") return "-define webp:lossless=true";
  return "";
}

class DecoderStop : public testing::TestWithParam<Kind> {};

TEST_P(DecoderStop, GivesUpAtTheFirstAskThatSaysStopAndAsksAsItGoes) {
  TempFolder folder;
  constexpr int kWidth = 160;
  constexpr int kHeight = 120;
  WriteSourcePicture(folder / "source.ppm", kWidth, kHeight);
  Convert(folder / "source.ppm", OptionsFor(GetParam().name),
          std::string(GetParam().format) + ":" + (folder / "pic").string());
  const Bytes file = ReadFile(folder / "pic");

  // Asked as it goes, and never told to stop: the same picture as with no question at all.
  Asks::Reset(0);
  const std::optional<Picture> whole = nviewlib::DecodePicture(file, Asks::Ask);
  ASSERT_TRUE(whole.has_value());
  const int asksForAWholeDecode = Asks::count;
  EXPECT_GE(asksForAWholeDecode, 3) << "asks too seldom to be stopped part way";
  const std::optional<Picture> unasked = nviewlib::DecodePicture(file);
  ASSERT_TRUE(unasked.has_value());
  EXPECT_EQ(whole->pixels, unasked->pixels);

  // Told to stop before it allocates, part way, and at its last ask: nothing, and no more asks.
  for (const int stopAt : {1, asksForAWholeDecode / 2, asksForAWholeDecode}) {
    Asks::Reset(stopAt);
    EXPECT_FALSE(nviewlib::DecodePicture(file, Asks::Ask).has_value()) << "stopped at " << stopAt;
    EXPECT_EQ(Asks::count, stopAt) << "went on asking after being told to stop";
  }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, DecoderStop, testing::ValuesIn(kKinds),
                         [](const testing::TestParamInfo<Kind>& kind) { return kind.param.name; });

}  // namespace
}  // namespace nviewlib_test
