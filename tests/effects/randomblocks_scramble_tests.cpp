// Random blocks and Scramble, checked copy by copy against the generator every random choice
// uses, on a clock that does not move.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "effects/engine.h"
#include "tests/effects/effect_run.h"

namespace {

using effect_run::ReferenceRandom;
using effect_run::RunOnScreen;
using effect_run::RunTrace;
using effect_run::Stage;

constexpr int RandomBlocksEffect = 6;
constexpr int ScrambleEffect = 16;

struct Square {
  int x, y, side;  // in the picture
};

// Every square Random blocks copies, in order, when the clock reads `clock` throughout.
std::vector<Square> ExpectedSquares(int width, int height, int grain, std::uint32_t clock) {
  std::vector<Square> squares;
  int side = grain;
  int across = (width + grain - 1) / grain;
  int down = (height + grain - 1) / grain;
  for (int pass = 0; pass < 8; ++pass) {
    ReferenceRandom random(clock & 0xFFFF);
    const auto count = static_cast<long long>(1.5 * (down + 1) * (across + 1));
    for (long long i = 0; i < count; ++i) {
      const int column = random.Next() % across;
      const int row = random.Next() % down;
      squares.push_back({side * column, side * row, side});
    }
    side *= 2;
    across = std::max(1, width / side);
    down = std::max(1, height / side);
  }
  return squares;
}

trace::EffectTraceOptions Options(int effect, int width, int height, int grain) {
  return effect_run::Options(effect, DirNone, width, height, grain);
}

TEST(RandomBlocksTest, CopiesTheSquaresTheGeneratorPicksPassAfterPass) {
  trace::EffectTraceOptions options = Options(RandomBlocksEffect, 10, 6, 2);
  options.direction = 5;  // ignored
  options.clock = 0x12345;
  options.targetX = 3;
  options.targetY = -2;
  options.windowWidth = 16;
  options.windowHeight = 5;
  std::string expected;
  for (const Square& square : ExpectedSquares(10, 6, 2, 0x12345)) {
    expected += "blt " + std::to_string(3 + square.x) + " " + std::to_string(-2 + square.y) + " " +
                std::to_string(square.side) + " " + std::to_string(square.side) + " " +
                std::to_string(square.x) + " " + std::to_string(square.y) + "\npace\n";
  }
  const effect_run::Trace run = RunTrace(options);
  EXPECT_EQ(Joined(run), expected);
  EXPECT_EQ(run.diff, 0);
}

TEST(RandomBlocksTest, FirstPassRoundsUpAndTheLastCopiesTheWholePictureSixTimes) {
  const effect_run::Trace run = RunTrace(Options(RandomBlocksEffect, 400, 300, 4));
  int smallest = 0;
  for (const std::string& line : run.lines) {
    if (line.find(" 4 4 ") != std::string::npos) ++smallest;
  }
  EXPECT_EQ(smallest, 11514);
  ASSERT_GE(run.lines.size(), 12U);
  const std::vector<std::string> tail(run.lines.end() - 12, run.lines.end());
  for (std::size_t i = 0; i < tail.size(); i += 2) {
    EXPECT_EQ(tail[i], "blt 0 0 512 512 0 0");
    EXPECT_EQ(tail[i + 1], "pace");
  }
  EXPECT_EQ(run.diff, 0);
}

TEST(RandomBlocksTest, AGrainBeyondThePictureCopiesItWholeSixTimesAPass) {
  // The largest grains overflowed the doubling square side and then divided by zero.
  for (const int grain : {9, 1 << 24, INT_MAX}) {
    const effect_run::Trace run = RunTrace(Options(RandomBlocksEffect, 7, 5, grain));
    EXPECT_EQ(run.paces, 48) << grain;
    EXPECT_EQ(run.diff, 0) << grain;
    for (const std::string& line : run.lines) {
      if (line != "pace") {
        ASSERT_EQ(line.rfind("blt 0 0 ", 0), 0U) << line;
      }
    }
  }
}

TEST(RandomBlocksTest, CompletesEveryPictureUpTo128GrainsASide) {
  effect_run::ExpectEveryRunFinishesThePicture(
      {.routines = {{"RandomBlocks", RandomBlocksEffect, DirNone}},
       .sizes = {{1, 1}, {2, 3}, {7, 5}, {45, 25}, {64, 48}, {33, 17}},
       .grains = {1, 3, 4, 10},
       .clock = [](const effect_run::SweepRun& run) {
         return static_cast<std::uint32_t>(1000 * run.grain + run.width);
       }});
}

TEST(RandomBlocksTest, InputLeavesExactlyTheSquaresCopiedSoFar) {
  const int abortAfter = 40;
  const Stage stage{.effect = RandomBlocksEffect,
                    .width = 20,
                    .height = 12,
                    .grain = 3,
                    .targetX = 2,
                    .targetY = 1,
                    .windowWidth = 24,
                    .windowHeight = 14,
                    .abortAfter = abortAfter,
                    .clock = 4242,
                    .delayFactor = 2};
  std::vector<bool> drawn(20 * 12, false);
  const std::vector<Square> squares = ExpectedSquares(20, 12, 3, 4242);
  for (int i = 0; i < abortAfter; ++i) {
    const Square& square = squares[static_cast<std::size_t>(i)];
    for (int y = square.y; y < std::min(12, square.y + square.side); ++y) {
      for (int x = square.x; x < std::min(20, square.x + square.side); ++x)
        drawn[y * 20 + x] = true;
    }
  }
  const effect_run::Screen screen = effect_run::ExpectInputLeaves(
      stage, effect_run::OwnPixelsWhere([&](int x, int y) { return drawn[y * 20 + x]; }));
  // One pace unit: the step that saw the key stopped at its first poll.
  EXPECT_EQ(screen.polls, std::uint64_t(abortAfter - 1) * (1 + 100 * 2) + 1);
}

struct Swap {
  int ax, ay, bx, by;
};

std::vector<Swap> ExpectedSwaps(int tileWidth, int tileHeight, std::uint32_t clock) {
  ReferenceRandom random(clock & 0xFFFF);
  std::vector<Swap> swaps(500);
  for (Swap& swap : swaps) {
    swap.ax = random.Next() % 10 * tileWidth;
    swap.ay = random.Next() % 10 * tileHeight;
    swap.bx = random.Next() % 10 * tileWidth;
    swap.by = random.Next() % 10 * tileHeight;
  }
  return swaps;
}

TEST(ScrambleTest, DrawsThePictureThenSwapsTilesAndReplaysTheSwapsBackwards) {
  // 1024 x 768: 102 x 76 tiles, the last 4 columns and 8 rows outside every tile.
  trace::EffectTraceOptions options = Options(ScrambleEffect, 600, 400, 4);
  options.windowWidth = 1024;
  options.windowHeight = 768;
  options.targetX = 212;
  options.targetY = 184;
  options.clock = 0x3039A;
  const std::vector<Swap> swaps = ExpectedSwaps(102, 76, 0x3039A);
  auto swapText = [](const Swap& s) {
    const std::string a = std::to_string(s.ax) + " " + std::to_string(s.ay);
    const std::string b = std::to_string(s.bx) + " " + std::to_string(s.by);
    return "blt 0 0 102 76 " + a + "\nblt " + a + " 102 76 " + b + "\nblt " + b +
           " 102 76 0 0\npace\n";
  };
  std::string expected = "blt 212 184 600 400 0 0\n";
  for (const Swap& swap : swaps) expected += swapText(swap);
  for (auto swap = swaps.rbegin(); swap != swaps.rend(); ++swap) expected += swapText(*swap);
  const effect_run::Trace run = RunTrace(options);
  EXPECT_EQ(Joined(run), expected);
  EXPECT_EQ(run.paces, 1000);
  EXPECT_EQ(run.diff, 0);

  // The grain takes no part.
  options.grain = 97;
  EXPECT_EQ(Joined(RunTrace(options)), expected);
}

// The screen after a swap, as three tile copies through a one-tile buffer.
void ApplySwap(std::vector<std::uint32_t>& screen, int screenWidth, int tileWidth, int tileHeight,
               const Swap& swap) {
  for (int y = 0; y < tileHeight; ++y) {
    for (int x = 0; x < tileWidth; ++x) {
      std::uint32_t& a = screen[static_cast<std::size_t>(swap.ay + y) * screenWidth + swap.ax + x];
      std::uint32_t& b = screen[static_cast<std::size_t>(swap.by + y) * screenWidth + swap.bx + x];
      const std::uint32_t saved = a;
      a = b;
      b = saved;
    }
  }
}

TEST(ScrambleTest, InputLeavesTheScreenShuffledAsFarAsItGotAndFreesItsObjects) {
  // A picture larger than the screen, so every screen pixel shows which tile it came from.
  const int width = 210;
  const int height = 106;
  for (const int abortAfter : {1, 37, 500, 731}) {
    SCOPED_TRACE(abortAfter);
    const Stage stage{.effect = ScrambleEffect,
                      .width = width,
                      .height = height,
                      .grain = 4,
                      .targetX = -3,
                      .targetY = -2,
                      .windowWidth = 204,
                      .windowHeight = 103,
                      .abortAfter = abortAfter,
                      .clock = 99};
    const effect_run::Screen screen = RunOnScreen(stage);
    EXPECT_EQ(screen.paces, abortAfter);
    EXPECT_FALSE(screen.objectsLeft);

    std::vector<std::uint32_t> model;
    for (int y = 0; y < 103; ++y) {
      for (int x = 0; x < 204; ++x) model.push_back(effect_run::PicturePixel(stage, x + 3, y + 2));
    }
    const std::vector<Swap> swaps = ExpectedSwaps(20, 10, 99);
    for (int step = 0; step < abortAfter; ++step) {
      const Swap& swap = swaps[static_cast<std::size_t>(step < 500 ? step : 999 - step)];
      ApplySwap(model, 204, 20, 10, swap);
    }
    EXPECT_EQ(screen.pixels, model);
    // The right-most 4 columns and the bottom 3 rows lie outside every tile.
    for (int y = 0; y < 103; ++y) {
      for (int x = 200; x < 204; ++x) {
        ASSERT_EQ(screen.at(x, y), effect_run::PicturePixel(stage, x + 3, y + 2));
      }
    }
  }
}

TEST(RandomEffectsTest, EachCopyOrSwapBurnsTheEffectsPaceUnits) {
  const Stage blocks{
      .effect = RandomBlocksEffect, .width = 9, .height = 7, .grain = 2, .delayFactor = 4};
  const effect_run::Screen blocksRun = RunOnScreen(blocks);
  EXPECT_EQ(blocksRun.polls, std::uint64_t(blocksRun.paces) * 1 * (1 + 100 * 4));
  const Stage scramble{.effect = ScrambleEffect, .width = 30, .height = 20, .delayFactor = 4};
  const effect_run::Screen scrambleRun = RunOnScreen(scramble);
  EXPECT_EQ(scrambleRun.paces, 1000);
  EXPECT_EQ(scrambleRun.polls, std::uint64_t(1000) * 2 * (1 + 100 * 4));
  EXPECT_FALSE(scrambleRun.objectsLeft);
}

}  // namespace
