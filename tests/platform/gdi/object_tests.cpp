// DCs, bitmaps and stock objects: selection, deletion and the live counts.
#include <gtest/gtest.h>

#include "platform/gdi/gdi_probe.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace {

using platform::gdi::CountLiveObjects;
using platform::gdi::LiveObjects;

class ObjectTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::gdi::ResetGdi(); }
};

TEST_F(ObjectTest, SelectionFollowsWin32) {
  HDC first = CreateCompatibleDC(nullptr);
  HDC second = CreateCompatibleDC(first);
  HBITMAP bitmap = CreateCompatibleBitmap(first, 3, 2);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(CountLiveObjects(), (LiveObjects{2, 1, 0}));

  // A new memory DC hands back its 1x1 default bitmap the first time.
  HGDIOBJ original = SelectObject(first, bitmap);
  ASSERT_NE(original, nullptr);
  BITMAP info{};
  ASSERT_EQ(GetObject(original, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 1);
  EXPECT_EQ(info.bmHeight, 1);

  // A bitmap lives in one DC at a time, and cannot be deleted while it does.
  EXPECT_EQ(SelectObject(second, bitmap), nullptr);
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_EQ(SelectObject(first, original), bitmap);
  EXPECT_EQ(SelectObject(second, bitmap), original);

  // Deleting the DC leaves its bitmap alive for its owner to delete.
  EXPECT_TRUE(DeleteDC(second));
  EXPECT_EQ(CountLiveObjects(), (LiveObjects{1, 1, 0}));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteDC(second));
  EXPECT_EQ(SelectObject(first, bitmap), nullptr);

  // Brushes are accepted by any DC and handed back; bitmaps only by memory DCs.
  HGDIOBJ black = GetStockObject(BLACK_BRUSH);
  EXPECT_EQ(SelectObject(first, black), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(first, GetStockObject(WHITE_BRUSH)), black);
  HDC screen = GetDC(nullptr);
  HBITMAP other = CreateCompatibleBitmap(screen, 1, 1);
  EXPECT_EQ(SelectObject(screen, other), nullptr);
  EXPECT_EQ(ReleaseDC(nullptr, first), 0);  // memory DCs are deleted, not released
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 0);
  EXPECT_TRUE(DeleteObject(other));
  EXPECT_TRUE(DeleteDC(first));
  EXPECT_EQ(CountLiveObjects(), LiveObjects{});
}

TEST_F(ObjectTest, StockObjectsAreNeverCountedOrDeleted) {
  HGDIOBJ black = GetStockObject(BLACK_BRUSH);
  HGDIOBJ white = GetStockObject(WHITE_BRUSH);
  ASSERT_NE(black, nullptr);
  ASSERT_NE(white, nullptr);
  EXPECT_NE(black, white);
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
  EXPECT_EQ(GetStockObject(1), nullptr);  // LTGRAY_BRUSH is not provided
  EXPECT_TRUE(DeleteObject(black));
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
  EXPECT_EQ(CountLiveObjects(), LiveObjects{});
}

TEST_F(ObjectTest, CompatibleBitmapsAreBlackAndDescribeThemselves) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(dc, 0, 5), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(dc, 5, -1), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(dc, 100000, 100000), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(reinterpret_cast<HDC>(0x1234), 5, 5), nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 5, 3);
  EXPECT_EQ(gdi_test::Pixels(bitmap), std::vector<std::uint32_t>(15, 0));

  BITMAP info{};
  EXPECT_EQ(GetObject(bitmap, sizeof info, nullptr), static_cast<int>(sizeof info));
  EXPECT_EQ(GetObject(bitmap, sizeof info - 1, &info), 0);
  ASSERT_EQ(GetObject(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmType, 0);
  EXPECT_EQ(info.bmWidth, 5);
  EXPECT_EQ(info.bmHeight, 3);
  EXPECT_EQ(info.bmWidthBytes, 20);
  EXPECT_EQ(info.bmPlanes, 1);
  EXPECT_EQ(info.bmBitsPixel, 32);
  EXPECT_EQ(info.bmBits, nullptr);
  EXPECT_EQ(GetObject(GetStockObject(BLACK_BRUSH), sizeof info, &info), 0);

  EXPECT_EQ(SetStretchBltMode(dc, COLORONCOLOR), BLACKONWHITE);
  EXPECT_EQ(SetStretchBltMode(dc, HALFTONE), COLORONCOLOR);
  EXPECT_EQ(SetStretchBltMode(dc, 0), 0);
  EXPECT_EQ(SetStretchBltMode(nullptr, COLORONCOLOR), 0);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST_F(ObjectTest, SlideShowSequenceLeavesNothingBehind) {
  for (int picture = 0; picture < 3; ++picture) {
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = gdi_test::MakePatternBitmap(4, 4, 1);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    SetStretchBltMode(screen, COLORONCOLOR);
    StretchBlt(screen, 0, 0, 8, 8, memory, 0, 0, 4, 4, SRCCOPY);
    BitBlt(screen, -2, -2, 4, 4, memory, 0, 0, SRCCOPY);
    EXPECT_EQ(CountLiveObjects(), (LiveObjects{2, 1, 0}));
    SelectObject(memory, previous);
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(CountLiveObjects(), LiveObjects{});
  }
}

TEST_F(ObjectTest, ResetForgetsEverythingAndStaleHandlesFail) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
  SelectObject(dc, bitmap);
  platform::gdi::ResetGdi();
  EXPECT_EQ(CountLiveObjects(), LiveObjects{});
  HDC fresh = CreateCompatibleDC(nullptr);
  EXPECT_NE(fresh, dc);
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_EQ(GetObject(bitmap, 0, nullptr), 0);
  EXPECT_TRUE(DeleteDC(fresh));
}

}  // namespace
