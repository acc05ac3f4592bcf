// Clock: where each paced hand ends, the blocks one hand stamps, the finished picture over many
// sizes and grains, and what input leaves on the screen.
#include <climits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/effects/effect_run.h"

namespace {

using effect_run::OwnPixelsWhere;

constexpr int ClockEffect = 17;

trace::EffectTraceOptions Options(int width, int height, int grain) {
  return effect_run::Options(ClockEffect, 0, width, height, grain);
}

using Point = std::pair<int, int>;

// The source point of a block copy: where the hand stamped it.
Point Stamped(const std::string& copy) {
  std::istringstream fields(copy.substr(4));
  int dx = 0, dy = 0, width = 0, height = 0, sx = 0, sy = 0;
  fields >> dx >> dy >> width >> height >> sx >> sy;
  return {sx, sy};
}

// Every hand's end point: its last block.
std::vector<Point> EndPoints(const effect_run::Trace& traced) {
  std::vector<Point> ends;
  for (const auto& hand : effect_run::CopiesByStep(traced)) ends.push_back(Stamped(hand.back()));
  return ends;
}

TEST(ClockTest, FifteenHandsSweepA40By30PictureAtGrain10) {
  const effect_run::Trace traced = effect_run::RunTrace(Options(40, 30, 10));
  EXPECT_EQ(traced.paces, 15);
  EXPECT_EQ(EndPoints(traced), (std::vector<Point>{{20, 0},
                                                   {30, 0},
                                                   {40, 10},
                                                   {40, 15},
                                                   {40, 25},
                                                   {30, 30},
                                                   {20, 30},
                                                   {20, 30},
                                                   {10, 30},
                                                   {0, 20},
                                                   {0, 15},
                                                   {0, 5},
                                                   {0, 0},
                                                   {10, 0},
                                                   {20, 0}}));
  EXPECT_EQ(traced.diff, 0);

  // The first hand, straight up from the centre: 16 blocks g wide and 2g high.
  const auto first = effect_run::CopiesByStep(traced).front();
  ASSERT_EQ(first.size(), 16U);
  for (int k = 0; k < 16; ++k) {
    const int y = 15 - k;
    EXPECT_EQ(first[static_cast<std::size_t>(k)],
              "blt 20 " + std::to_string(y) + " 10 20 20 " + std::to_string(y));
  }
}

TEST(ClockTest, AOnePixelPictureTakesFiveHandsTheFirstOnlyItsEndBlock) {
  const effect_run::Trace traced = effect_run::RunTrace(Options(1, 1, 4));
  EXPECT_EQ(EndPoints(traced), (std::vector<Point>{{0, 0}, {1, 0}, {0, 1}, {0, 0}, {0, 0}}));
  const auto hands = effect_run::CopiesByStep(traced);
  EXPECT_EQ(hands.front(), (std::vector<std::string>{"blt 0 0 4 8 0 0"}));
  // The hand to (1, 0) walks one step from the centre, then stamps its end.
  EXPECT_EQ(hands[1], (std::vector<std::string>{"blt 0 0 4 8 0 0", "blt 1 0 4 8 1 0"}));
  EXPECT_EQ(traced.diff, 0);
}

TEST(ClockTest, EqualDistancesAreWalkedAlongXOneDiagonalStepAtATime) {
  // 40 x 30 at g 5: the hand from (20, 15) to (5, 0) is the fifth of the last quarter.
  const effect_run::Trace traced = effect_run::RunTrace(Options(40, 30, 5));
  std::vector<std::string> expected;
  expected.reserve(16);
  for (int k = 0; k < 15; ++k) {
    expected.push_back("blt " + std::to_string(20 - k) + " " + std::to_string(15 - k) + " 5 10 " +
                       std::to_string(20 - k) + " " + std::to_string(15 - k));
  }
  expected.emplace_back("blt 5 0 5 10 5 0");
  bool found = false;
  for (const auto& hand : effect_run::CopiesByStep(traced)) {
    if (Stamped(hand.back()) == Point{5, 0}) {
      EXPECT_EQ(hand, expected);
      found = true;
    }
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(traced.diff, 0);
}

TEST(ClockTest, AtGrainOneTheEndPointMovesOnePixelPerHand) {
  const effect_run::Trace traced = effect_run::RunTrace(Options(40, 30, 1));
  const std::vector<Point> ends = EndPoints(traced);
  ASSERT_EQ(ends.size(), 141U);
  EXPECT_EQ(ends.front(), (Point{20, 0}));
  EXPECT_EQ(ends.back(), (Point{20, 0}));
  // Clockwise: right along the top, down the right side, left along the bottom, up the left.
  EXPECT_EQ(ends[20], (Point{40, 0 + 1}));
  EXPECT_EQ(traced.diff, 0);
}

TEST(ClockTest, EachHandIsPacedWithFiftyUnits) {
  trace::EffectTraceOptions options = Options(40, 30, 10);
  options.delayFactor = 1;
  EXPECT_EQ(effect_run::RunTrace(options).polls, 15U * 50 * 101);
}

TEST(ClockTest, InputDuringTheFirstHandLeavesOnlyTheLineStraightUp) {
  // 12 x 10, g 2: blocks 2 wide and 4 high at (6, 5) .. (6, 0), clipped by the picture.
  const effect_run::Shown lineUp =
      OwnPixelsWhere([](int x, int y) { return x >= 6 && x < 8 && y < 9; });
  effect_run::ExpectInputLeaves({{"Clock", ClockEffect, 0}, 12, 10, 2, 1, lineUp});
  // The same centred in a larger window.
  effect_run::ExpectInputLeaves({{"Clock", ClockEffect, 0}, 12, 10, 2, 1, lineUp}, {3, 4, 18, 18});
}

TEST(ClockTest, TheSweepFinishesThePictureAtAnySizeAndGrain) {
  std::vector<std::pair<int, int>> sizes = {{1, 1}, {1, 7}, {7, 1},   {2, 2},   {13, 9}, {9, 13},
                                            {3, 2}, {2, 3}, {40, 30}, {37, 29}, {64, 48}};
  effect_run::ExpectEveryRunFinishesThePicture({.routines = {{"Clock", ClockEffect, 0}},
                                                .sizes = std::move(sizes),
                                                .grains = {1, 2, 3, 4, 5, 7, 10, 50, INT_MAX}});
}

}  // namespace
