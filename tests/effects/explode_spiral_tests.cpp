// Explode and Spiral: their copies and pacing on the worked cases, the finished picture over many
// sizes and grains, and what input leaves on the screen.
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/effects/effect_run_support.h"

namespace {

using effect_run::EachPaced;
using effect_run::SourcePoint;

constexpr int Explode = 5;
constexpr int Spiral = 8;
constexpr int In = 2, Out = 1;

trace::EffectTraceOptions Options(int effect, int direction, int width, int height, int grain) {
  trace::EffectTraceOptions options;
  options.effect = effect;
  options.direction = direction;
  options.width = width;
  options.height = height;
  options.grain = grain;
  options.delayFactor = 0;  // the pace counts are checked on their own below
  return options;
}

// A piece copied onto its own place, as the tracer prints it (picture at the window's origin).
std::string Piece(int x, int y, int width, int height) {
  return "blt " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(width) + " " +
         std::to_string(height) + " " + std::to_string(x) + " " + std::to_string(y);
}

// One paced step of several copies.
std::string Step(const std::vector<std::string>& copies) {
  std::string text;
  for (const std::string& copy : copies) text += copy + "\n";
  return text + "pace\n";
}

// The cells of one spiral run from (x0, y0) to (x1, y1), grain g, each paced.
std::vector<std::string> SpiralRun(int x0, int y0, int x1, int y1, int g) {
  std::vector<std::string> cells;
  const int dx = x1 > x0 ? g : x1 < x0 ? -g : 0;
  const int dy = y1 > y0 ? g : y1 < y0 ? -g : 0;
  for (int x = x0, y = y0;; x += dx, y += dy) {
    cells.push_back(Piece(x, y, g, g));
    if (x == x1 && y == y1) break;
  }
  return cells;
}

std::vector<std::string> Runs(const std::vector<std::vector<std::string>>& runs) {
  std::vector<std::string> all;
  for (const auto& run : runs) all.insert(all.end(), run.begin(), run.end());
  return all;
}

// The traced copies from `from` on, `count` of them.
std::vector<std::string> Slice(const std::vector<std::string>& copies, std::size_t from,
                               std::size_t count) {
  return {copies.begin() + static_cast<std::ptrdiff_t>(from),
          copies.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

TEST(ExplodeTest, InClosesFramesFromTheBorder) {
  // 40 x 30, g 4: four frames, the last with l = t = 12, hc = 6, wc = 16.
  const effect_run::Traced traced = effect_run::Trace(Options(Explode, In, 40, 30, 4));
  EXPECT_EQ(traced.paceSteps, 4);
  EXPECT_EQ(
      traced.text.substr(0, Step({Piece(0, 0, 4, 30), Piece(36, 0, 4, 30), Piece(0, 0, 40, 4),
                                  Piece(0, 26, 40, 4)})
                                .size()),
      Step({Piece(0, 0, 4, 30), Piece(36, 0, 4, 30), Piece(0, 0, 40, 4), Piece(0, 26, 40, 4)}));
  EXPECT_EQ(Slice(traced.copies, 12, 4),
            (std::vector<std::string>{Piece(12, 12, 4, 6), Piece(24, 12, 4, 6),
                                      Piece(12, 12, 16, 4), Piece(12, 14, 16, 4)}));
  EXPECT_EQ(traced.diff, 0);

  // A wide picture: two frames, the second's top and bottom sides overlapping.
  const effect_run::Traced wide = effect_run::Trace(Options(Explode, In, 100, 10, 4));
  EXPECT_EQ(wide.paceSteps, 2);
  EXPECT_EQ(Slice(wide.copies, 4, 4),
            (std::vector<std::string>{Piece(4, 4, 4, 2), Piece(92, 4, 4, 2), Piece(4, 4, 92, 4),
                                      Piece(4, 2, 92, 4)}));
  EXPECT_EQ(wide.diff, 0);

  // A grain beyond the picture: one frame whose sides reach out of it, and show it whole.
  EXPECT_EQ(
      effect_run::Trace(Options(Explode, In, 7, 5, 10)).text,
      Step({"blt 0 0 10 5 0 0", "blt -3 0 10 5 -3 0", "blt 0 0 7 10 0 0", "blt 0 -5 7 10 0 -5"}) +
          "diff 0\n");
}

TEST(ExplodeTest, OutRecopiesAGrowingSquareUntilItPassesTheLeftOrTopEdge) {
  EXPECT_EQ(effect_run::Trace(Options(Explode, Out, 40, 30, 4)).text,
            EachPaced({Piece(20, 16, 8, 8), Piece(16, 12, 16, 16), Piece(12, 8, 24, 24),
                       Piece(8, 4, 32, 32), Piece(4, 0, 40, 40), Piece(0, -4, 48, 48)}) +
                "diff 0\n");
  // The grain at least the picture's size: one square from the corner.
  EXPECT_EQ(effect_run::Trace(Options(Explode, Out, 5, 7, 9)).text,
            EachPaced({Piece(0, 0, 18, 18)}) + "diff 0\n");
}

TEST(SpiralTest, InWindsFromTheTopLeftCornerInward) {
  // 40 x 30, g 4: 110 cells; laps 0 and 1 in full, the start of lap 2, and lap 4, the last.
  const effect_run::Traced traced = effect_run::Trace(Options(Spiral, In, 40, 30, 4));
  ASSERT_EQ(traced.copies.size(), 110U);
  EXPECT_EQ(traced.paceSteps, 110);
  const std::vector<std::string> start =
      Runs({SpiralRun(0, 0, 36, 0, 4), SpiralRun(36, 0, 36, 28, 4), SpiralRun(40, 28, 0, 28, 4),
            SpiralRun(0, 32, 0, 0, 4), SpiralRun(4, 0, 32, 0, 4), SpiralRun(32, 4, 32, 24, 4),
            SpiralRun(36, 24, 4, 24, 4), SpiralRun(4, 28, 4, 4, 4), SpiralRun(8, 4, 28, 4, 4)});
  EXPECT_EQ(Slice(traced.copies, 0, start.size()), start);
  const std::vector<std::string> last = Runs(
      {SpiralRun(16, 12, 20, 12, 4), SpiralRun(24, 12, 16, 12, 4), SpiralRun(16, 16, 16, 16, 4)});
  EXPECT_EQ(Slice(traced.copies, 110 - last.size(), last.size()), last);
  EXPECT_EQ(traced.diff, 0);
}

TEST(SpiralTest, OutWindsFromTheCentreUntilPastTheLeftAndTopEdges) {
  // 40 x 30, g 4: 6 laps of 8k + 10 cells, 180 in all; lap 5 lies wholly outside the picture.
  const effect_run::Traced traced = effect_run::Trace(Options(Spiral, Out, 40, 30, 4));
  ASSERT_EQ(traced.copies.size(), 180U);
  EXPECT_EQ(traced.paceSteps, 180);
  const std::vector<std::string> start = Runs(
      {SpiralRun(20, 16, 24, 16, 4), SpiralRun(24, 16, 24, 20, 4), SpiralRun(24, 20, 16, 20, 4),
       SpiralRun(16, 20, 16, 12, 4), SpiralRun(16, 12, 28, 12, 4), SpiralRun(28, 12, 28, 24, 4),
       SpiralRun(28, 24, 12, 24, 4), SpiralRun(12, 24, 12, 8, 4)});
  EXPECT_EQ(Slice(traced.copies, 0, start.size()), start);
  // Lap 5's runs lie at y = -4, x = 44, y = 40 and x = -4.
  for (std::size_t k = 130; k < 180; ++k) {
    const std::string& cell = traced.copies[k];
    const bool offPicture = cell.rfind("blt -4 ", 0) == 0 || cell.rfind("blt 44 ", 0) == 0 ||
                            cell.find(" -4 4 4 ") != std::string::npos ||
                            cell.find(" 40 4 4 ") != std::string::npos;
    EXPECT_TRUE(offPicture) << cell;
  }
  EXPECT_EQ(traced.diff, 0);

  // A portrait picture: 5 laps, 130 cells.
  const effect_run::Traced portrait = effect_run::Trace(Options(Spiral, Out, 20, 30, 4));
  EXPECT_EQ(portrait.paceSteps, 130);
  EXPECT_EQ(portrait.diff, 0);
}

TEST(ExplodeSpiralTest, StepsArePacedWithTheEffectsOwnUnits) {
  // DelayFactor 1: units x 101 polls a step; Explode has 100 units, Spiral 20.
  trace::EffectTraceOptions explode = Options(Explode, Out, 40, 30, 4);
  explode.delayFactor = 1;
  EXPECT_EQ(effect_run::Trace(explode).polls, 6U * 100 * 101);
  trace::EffectTraceOptions spiral = Options(Spiral, In, 40, 30, 4);
  spiral.delayFactor = 1;
  EXPECT_EQ(effect_run::Trace(spiral).polls, 110U * 20 * 101);
}

TEST(ExplodeSpiralTest, InputLeavesWhatTheStepsSoFarDrew) {
  // ExplodeIn after one frame of a 12 x 10 picture, g 2: the outer ring, two pixels thick.
  effect_run::RunAndCheckScreen({Explode, In, 12, 10, 2, 1}, [](int x, int y) -> SourcePoint {
    if (x < 2 || x >= 10 || y < 2 || y >= 8) return {{x, y}};
    return {};
  });
  // ExplodeOut after one step: the centre square of 2 x 2 cells, a = 3, b = 2.
  effect_run::RunAndCheckScreen({Explode, Out, 12, 10, 2, 1}, [](int x, int y) -> SourcePoint {
    if (x >= 6 && x < 10 && y >= 4 && y < 8) return {{x, y}};
    return {};
  });
  // SpiralIn after three cells, the picture centred in a larger window.
  effect_run::RunAndCheckScreen({Spiral, In, 12, 10, 2, 3, 2, 3, 16, 16},
                                [](int x, int y) -> SourcePoint {
                                  if (x >= 2 && x < 8 && y >= 3 && y < 5) return {{x - 2, y - 3}};
                                  return {};
                                });
  // SpiralOut after its first lap of 10 cells: columns 3-4 of row 2, then round to column 2 and
  // up to row 1; cells (3, 1) and (4, 1) wait for the next lap's top run.
  effect_run::RunAndCheckScreen({Spiral, Out, 12, 10, 2, 10}, [](int x, int y) -> SourcePoint {
    const int column = x / 2, row = y / 2;
    const bool drawn = (row == 2 && column >= 2 && column <= 4) ||
                       (row == 3 && column >= 2 && column <= 4) || (row == 1 && column == 2);
    if (drawn) return {{x, y}};
    return {};
  });
}

TEST(ExplodeSpiralTest, EveryRoutineFinishesThePictureAtAnySizeAndGrain) {
  struct Size {
    int width, height;
  };
  const Size sizes[] = {{1, 1}, {1, 7}, {7, 1}, {13, 9}, {9, 13}, {40, 30}, {20, 30}, {37, 29}};
  const int grains[] = {1, 2, 3, 4, 5, 7, 10, 50, INT_MAX};
  const std::pair<int, int> routines[] = {
      {Explode, In}, {Explode, Out}, {Spiral, In}, {Spiral, Out}};
  for (const auto& [effect, direction] : routines) {
    for (const Size& size : sizes) {
      for (const int grain : grains) {
        // Centred in a window, and cut by a window smaller than the picture (negative target).
        for (const bool cropped : {false, true}) {
          trace::EffectTraceOptions options =
              Options(effect, direction, size.width, size.height, grain);
          options.windowWidth = cropped ? (size.width + 1) / 2 : size.width + 6;
          options.windowHeight = cropped ? (size.height + 1) / 2 : size.height + 5;
          options.targetX = (options.windowWidth - size.width) / 2;
          options.targetY = (options.windowHeight - size.height) / 2;
          const effect_run::Traced traced = effect_run::Trace(options);
          ASSERT_EQ(traced.diff, 0)
              << "effect " << effect << " dir " << direction << " " << size.width << "x"
              << size.height << " grain " << grain << (cropped ? " cropped" : "");
        }
      }
    }
  }
}

}  // namespace
