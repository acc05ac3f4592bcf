// BitBlt and StretchBlt against a per-pixel model of the drawing rule: a destination pixel
// changes only when it lies on the destination and its source pixel lies on the source.
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gdi/gdi_probe.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace {

using gdi_test::BitmapDc;
using gdi_test::MakePatternBitmap;
using gdi_test::Pixels;
using Grid = std::vector<std::uint32_t>;

struct Size {
  int width;
  int height;
};

// Where destination pixel (i, j) of the copy rectangle samples the source, or -1 outside it.
using SampleFn = int (*)(int offset, int extent, int sourceExtent);

int SampleOneToOne(int offset, int /*extent*/, int /*sourceExtent*/) {
  return offset;
}
int SampleNearest(int offset, int extent, int sourceExtent) {
  return static_cast<int>(std::floor((offset + 0.5) * sourceExtent / extent));
}

Grid Model(const Grid& before, Size dest, const Grid& source, Size sourceSize, int x, int y, int w,
           int h, int sx, int sy, int sw, int sh, SampleFn sample) {
  Grid after = before;
  if (w <= 0 || h <= 0) return after;
  for (int dy = 0; dy < dest.height; ++dy) {
    for (int dx = 0; dx < dest.width; ++dx) {
      const int i = dx - x;
      const int j = dy - y;
      if (i < 0 || i >= w || j < 0 || j >= h) continue;
      const int px = sx + sample(i, w, sw);
      const int py = sy + sample(j, h, sh);
      if (px < 0 || px >= sourceSize.width || py < 0 || py >= sourceSize.height) continue;
      after[dy * dest.width + dx] = source[py * sourceSize.width + px];
    }
  }
  return after;
}

class CopyTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::gdi::ResetGdi(); }
  void TearDown() override {
    EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});
  }
};

TEST_F(CopyTest, BitBltMatchesModelOverSeededSweep) {
  const Size sourceSize{7, 5};
  const Size destSize{9, 6};
  BitmapDc source(MakePatternBitmap(sourceSize.width, sourceSize.height, 1));
  BitmapDc dest(MakePatternBitmap(destSize.width, destSize.height, 2));
  const Grid sourcePixels = Pixels(source.bitmap());
  const Grid fresh = Pixels(dest.bitmap());
  std::mt19937 random(20240611);
  auto between = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  for (int round = 0; round < 4000; ++round) {
    gdi_test::SetPixels(dest.bitmap(), fresh);
    const int x = between(-12, 12), y = between(-10, 10);
    const int w = between(-2, 14), h = between(-2, 12);
    const int sx = between(-10, 10), sy = between(-8, 8);
    ASSERT_TRUE(BitBlt(dest.dc(), x, y, w, h, source.dc(), sx, sy, SRCCOPY));
    ASSERT_EQ(Pixels(dest.bitmap()), Model(fresh, destSize, sourcePixels, sourceSize, x, y, w, h,
                                           sx, sy, w, h, SampleOneToOne))
        << "BitBlt(" << x << ", " << y << ", " << w << ", " << h << ", src " << sx << ", " << sy
        << ")";
  }
}

TEST_F(CopyTest, BitBltEdgeCases) {
  BitmapDc source(MakePatternBitmap(4, 4, 1));
  BitmapDc dest(MakePatternBitmap(4, 4, 2));
  const Grid fresh = Pixels(dest.bitmap());
  // Entirely outside the source, zero and negative sizes: nothing drawn, still success.
  EXPECT_TRUE(BitBlt(dest.dc(), 0, 0, 4, 4, source.dc(), 4, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dest.dc(), 0, 0, 4, 4, source.dc(), -4, -4, SRCCOPY));
  EXPECT_TRUE(BitBlt(dest.dc(), 0, 0, 0, 4, source.dc(), 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dest.dc(), 0, 0, -3, -3, source.dc(), 0, 0, SRCCOPY));
  // Rectangles whose far edges would overflow an int.
  EXPECT_TRUE(BitBlt(dest.dc(), 0x7FFFFFF0, 0, 0x7FFFFFFF, 4, source.dc(), 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dest.dc(), 0, 0, 0x7FFFFFFF, 1, source.dc(), -0x7FFFFFFF, 0, SRCCOPY));
  // Only SRCCOPY is drawn; anything else fails and draws nothing.
  EXPECT_FALSE(BitBlt(dest.dc(), 0, 0, 4, 4, source.dc(), 0, 0, 0x00EE0086));
  EXPECT_EQ(Pixels(dest.bitmap()), fresh);
  // Stale or foreign DCs fail.
  EXPECT_FALSE(BitBlt(dest.dc(), 0, 0, 4, 4, nullptr, 0, 0, SRCCOPY));
  EXPECT_FALSE(
      StretchBlt(reinterpret_cast<HDC>(0x1234), 0, 0, 4, 4, source.dc(), 0, 0, 4, 4, SRCCOPY));

  // 1x1 at the last pixel.
  EXPECT_TRUE(BitBlt(dest.dc(), 3, 3, 1, 1, source.dc(), 3, 3, SRCCOPY));
  Grid expected = fresh;
  expected[15] = Pixels(source.bitmap())[15];
  EXPECT_EQ(Pixels(dest.bitmap()), expected);
}

TEST_F(CopyTest, MemoryDcWithoutBitmapIsOnePixel) {
  HDC empty = CreateCompatibleDC(nullptr);
  BitmapDc dest(MakePatternBitmap(3, 2, 2));
  Grid expected = Pixels(dest.bitmap());
  EXPECT_TRUE(BitBlt(dest.dc(), 1, 0, 3, 2, empty, 0, 0, SRCCOPY));
  expected[1] = 0;  // only the one pixel (0, 0) exists, and it starts black
  EXPECT_EQ(Pixels(dest.bitmap()), expected);
  // Drawing into it touches nothing beyond that pixel.
  EXPECT_TRUE(BitBlt(empty, -1, -1, 3, 3, dest.dc(), 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dest.dc(), 0, 1, 1, 1, empty, 0, 0, SRCCOPY));
  expected[3] = expected[4];
  EXPECT_EQ(Pixels(dest.bitmap()), expected);
  DeleteDC(empty);
}

TEST_F(CopyTest, OverlappingCopyWithinOneSurface) {
  const Size size{8, 7};
  BitmapDc surface(MakePatternBitmap(size.width, size.height, 3));
  const Grid fresh = Pixels(surface.bitmap());
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      gdi_test::SetPixels(surface.bitmap(), fresh);
      ASSERT_TRUE(BitBlt(surface.dc(), 1 + dx, 1 + dy, 6, 5, surface.dc(), 1, 1, SRCCOPY));
      EXPECT_EQ(Pixels(surface.bitmap()),
                Model(fresh, size, fresh, size, 1 + dx, 1 + dy, 6, 5, 1, 1, 6, 5, SampleOneToOne))
          << "shift " << dx << ", " << dy;
      gdi_test::SetPixels(surface.bitmap(), fresh);
      ASSERT_TRUE(
          StretchBlt(surface.dc(), 1 + dx, 1 + dy, 6, 5, surface.dc(), 1, 1, 3, 5, SRCCOPY));
      EXPECT_EQ(Pixels(surface.bitmap()),
                Model(fresh, size, fresh, size, 1 + dx, 1 + dy, 6, 5, 1, 1, 3, 5, SampleNearest))
          << "stretched shift " << dx << ", " << dy;
    }
  }
}

TEST_F(CopyTest, StretchBltMatchesModelOverSeededSweep) {
  const Size sourceSize{6, 5};
  const Size destSize{8, 7};
  BitmapDc source(MakePatternBitmap(sourceSize.width, sourceSize.height, 1));
  BitmapDc dest(MakePatternBitmap(destSize.width, destSize.height, 2));
  BitmapDc blitted(MakePatternBitmap(destSize.width, destSize.height, 2));
  const Grid sourcePixels = Pixels(source.bitmap());
  const Grid fresh = Pixels(dest.bitmap());
  std::mt19937 random(7);
  auto between = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  for (int round = 0; round < 4000; ++round) {
    gdi_test::SetPixels(dest.bitmap(), fresh);
    const int x = between(-8, 9), y = between(-8, 8);
    const int w = between(1, 17), h = between(1, 15);
    const bool oneToOne = round % 4 == 0;
    const int sw = oneToOne ? w : between(1, 12), sh = oneToOne ? h : between(1, 12);
    const int sx = between(-7, 7), sy = between(-7, 7);
    ASSERT_TRUE(StretchBlt(dest.dc(), x, y, w, h, source.dc(), sx, sy, sw, sh, SRCCOPY));
    ASSERT_EQ(Pixels(dest.bitmap()), Model(fresh, destSize, sourcePixels, sourceSize, x, y, w, h,
                                           sx, sy, sw, sh, SampleNearest))
        << "StretchBlt(" << x << ", " << y << ", " << w << ", " << h << ", src " << sx << ", " << sy
        << ", " << sw << ", " << sh << ")";
    if (oneToOne) {
      gdi_test::SetPixels(blitted.bitmap(), fresh);
      BitBlt(blitted.dc(), x, y, w, h, source.dc(), sx, sy, SRCCOPY);
      ASSERT_EQ(Pixels(dest.bitmap()), Pixels(blitted.bitmap()));
    }
  }
}

TEST_F(CopyTest, StretchBltDoublesAndHalvesEvenly) {
  BitmapDc small(gdi_test::MakeBitmap(2, 2, {1, 2, 3, 4}));
  BitmapDc large(MakePatternBitmap(4, 4, 5));
  ASSERT_TRUE(StretchBlt(large.dc(), 0, 0, 4, 4, small.dc(), 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(Pixels(large.bitmap()), (Grid{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));

  BitmapDc source(MakePatternBitmap(4, 4, 0));  // pixel (x, y) = y * 4 + x + 1
  ASSERT_TRUE(StretchBlt(small.dc(), 0, 0, 2, 2, source.dc(), 0, 0, 4, 4, SRCCOPY));
  EXPECT_EQ(Pixels(small.bitmap()), (Grid{6, 8, 14, 16}));  // source (1,1) (3,1) (1,3) (3,3)
}

TEST_F(CopyTest, StretchBltMirrorsNegativeExtents) {
  BitmapDc source(gdi_test::MakeBitmap(4, 1, {1, 2, 3, 4}));
  BitmapDc dest(gdi_test::MakeBitmap(6, 1, {9, 9, 9, 9, 9, 9}));
  // A negative destination width covers x + width .. x - 1, drawn right to left.
  ASSERT_TRUE(StretchBlt(dest.dc(), 5, 0, -4, 1, source.dc(), 0, 0, 4, 1, SRCCOPY));
  EXPECT_EQ(Pixels(dest.bitmap()), (Grid{9, 4, 3, 2, 1, 9}));
  // Mirrored twice is not mirrored; zero extents draw nothing.
  ASSERT_TRUE(StretchBlt(dest.dc(), 4, 0, -4, 1, source.dc(), 4, 0, -4, 1, SRCCOPY));
  EXPECT_EQ(Pixels(dest.bitmap()), (Grid{1, 2, 3, 4, 1, 9}));
  ASSERT_TRUE(StretchBlt(dest.dc(), 0, 0, 6, 1, source.dc(), 0, 0, 0, 1, SRCCOPY));
  ASSERT_TRUE(StretchBlt(dest.dc(), 0, 0, 0, 1, source.dc(), 0, 0, 4, 1, SRCCOPY));
  EXPECT_EQ(Pixels(dest.bitmap()), (Grid{1, 2, 3, 4, 1, 9}));
}

TEST_F(CopyTest, StretchBltHugeExtentsStayExact) {
  BitmapDc source(gdi_test::MakeBitmap(2, 1, {1, 2}));
  BitmapDc dest(gdi_test::MakeBitmap(4, 1, {9, 9, 9, 9}));
  // Only the visible corner of an enormous stretch is computed, without overflow.
  ASSERT_TRUE(
      StretchBlt(dest.dc(), 0, 0, 0x7FFFFFFF, 1, source.dc(), 0, 0, 0x7FFFFFFF, 1, SRCCOPY));
  EXPECT_EQ(Pixels(dest.bitmap()), (Grid{1, 2, 9, 9}));
  ASSERT_TRUE(
      StretchBlt(dest.dc(), -0x7FFFFFFF, 0, 0x7FFFFFFF, 1, source.dc(), 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(Pixels(dest.bitmap()), (Grid{1, 2, 9, 9}));  // everything lands left of 0
  ASSERT_TRUE(StretchBlt(dest.dc(), 0, 0, 0x7FFFFFFF, 1, source.dc(), 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(Pixels(dest.bitmap()), (Grid{1, 1, 1, 1}));
}

TEST_F(CopyTest, ObserverSeesEveryCopyAsCalled) {
  BitmapDc source(MakePatternBitmap(2, 2, 1));
  BitmapDc dest(MakePatternBitmap(2, 2, 2));
  std::vector<platform::gdi::CopyCall> calls;
  platform::gdi::SetCopyObserver(
      [&](const platform::gdi::CopyCall& call) { calls.push_back(call); });
  BitBlt(dest.dc(), -5, 7, 100, -1, source.dc(), -3, 40, SRCCOPY);
  StretchBlt(dest.dc(), 1, 2, 3, 4, source.dc(), 5, 6, -7, 8, 0);
  platform::gdi::SetCopyObserver({});
  BitBlt(dest.dc(), 0, 0, 1, 1, source.dc(), 0, 0, SRCCOPY);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_FALSE(calls[0].stretch);
  EXPECT_EQ(calls[0].dest, dest.dc());
  EXPECT_EQ(calls[0].source, source.dc());
  EXPECT_EQ((std::vector<int>{calls[0].x, calls[0].y, calls[0].width, calls[0].height,
                              calls[0].sourceX, calls[0].sourceY}),
            (std::vector<int>{-5, 7, 100, -1, -3, 40}));
  EXPECT_TRUE(calls[1].stretch);
  EXPECT_EQ(
      (std::vector<int>{calls[1].x, calls[1].y, calls[1].width, calls[1].height, calls[1].sourceX,
                        calls[1].sourceY, calls[1].sourceWidth, calls[1].sourceHeight}),
      (std::vector<int>{1, 2, 3, 4, 5, 6, -7, 8}));
}

TEST_F(CopyTest, FillRectIsClippedToTheSurface) {
  BitmapDc surface(MakePatternBitmap(4, 3, 1));
  Grid expected = Pixels(surface.bitmap());
  const RECT beyond{-5, 1, 2, 100};
  EXPECT_EQ(FillRect(surface.dc(), &beyond, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))), 1);
  for (int index : {4, 5, 8, 9}) expected[index] = 0xFFFFFF;
  EXPECT_EQ(Pixels(surface.bitmap()), expected);
  const RECT outside{4, 0, 9, 3};
  const RECT inverted{3, 2, 1, 0};
  EXPECT_EQ(FillRect(surface.dc(), &outside, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
  EXPECT_EQ(FillRect(surface.dc(), &inverted, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
  EXPECT_EQ(FillRect(surface.dc(), &outside, nullptr), 0);
  EXPECT_EQ(Pixels(surface.bitmap()), expected);
  const RECT all{0, 0, 4, 3};
  EXPECT_EQ(FillRect(surface.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
  EXPECT_EQ(Pixels(surface.bitmap()), Grid(12, 0));
}

}  // namespace
