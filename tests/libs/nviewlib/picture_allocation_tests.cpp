// The two ways a decoder gets its picture: black, or unfilled for one that writes every pixel.
// Both refuse the same sizes and a stop before allocating anything, and count what they allocate.
#include <gtest/gtest.h>

#include <algorithm>

#include "libs/nviewlib/picture.h"

namespace {

using Allocator = std::optional<nviewlib::Picture> (*)(std::int64_t, std::int64_t,
                                                       nviewlib::StopQuery);

bool AlwaysStop() {
  return true;
}

class PictureAllocation : public testing::TestWithParam<Allocator> {};

TEST_P(PictureAllocation, RefusesWhatNoDecoderMayAllocateAndCountsTheRest) {
  const struct {
    std::int64_t width;
    std::int64_t height;
    nviewlib::StopQuery stop;
    bool made;
  } cases[] = {
      {0, 10, nullptr, false},
      {10, -1, nullptr, false},
      {nviewlib::kMaxSide + 1, 1, nullptr, false},
      {nviewlib::kMaxSide, nviewlib::kMaxSide / 4 + 1, nullptr, false},  // over 2^28 pixels
      {640, 480, AlwaysStop, false},
      {1, 1, nullptr, true},
      {1024, 768, nullptr, true},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(testing::Message() << test.width << "x" << test.height);
    const std::int64_t before = nviewlib::PixelsAllocated();
    const std::optional<nviewlib::Picture> picture = GetParam()(test.width, test.height, test.stop);
    ASSERT_EQ(picture.has_value(), test.made);
    EXPECT_EQ(nviewlib::PixelsAllocated() - before, test.made ? test.width * test.height : 0);
    if (picture) {
      EXPECT_EQ(picture->width, test.width);
      EXPECT_EQ(picture->height, test.height);
      EXPECT_EQ(picture->pixels.size(), static_cast<std::size_t>(test.width * test.height));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BlackAndUnfilled, PictureAllocation,
                         testing::Values(&nviewlib::NewPicture, &nviewlib::NewUnfilledPicture));

// A black picture is black even when its memory is a freed picture's, as in a slide show.
TEST(PictureAllocation, ABlackPictureIsBlackInAFormerPicturesMemory) {
  {
    std::optional<nviewlib::Picture> shown = nviewlib::NewUnfilledPicture(1920, 1080);
    ASSERT_TRUE(shown.has_value());
    std::fill(shown->pixels.begin(), shown->pixels.end(), 0xFFFFFFu);
  }
  const std::optional<nviewlib::Picture> black = nviewlib::NewPicture(1920, 1080);
  ASSERT_TRUE(black.has_value());
  EXPECT_TRUE(std::all_of(black->pixels.begin(), black->pixels.end(),
                          [](std::uint32_t pixel) { return pixel == 0; }));
}

}  // namespace
