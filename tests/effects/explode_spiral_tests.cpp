// Explode and Spiral: their copies and pacing on the worked cases, the finished picture over many
// sizes and grains, and what input leaves on the screen.
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/effects/effect_run.h"

namespace {

using effect_run::EachPaced;
using effect_run::Options;
using effect_run::OwnPixelsWhere;
using effect_run::Step;

constexpr int Explode = 5;
constexpr int Spiral = 8;
constexpr int In = 2, Out = 1;

// A piece copied onto its own place, as the tracer prints it (picture at the window's origin).
std::string Piece(int x, int y, int width, int height) {
  return "blt " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(width) + " " +
         std::to_string(height) + " " + std::to_string(x) + " " + std::to_string(y);
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
  const effect_run::Trace traced = effect_run::RunTrace(Options(Explode, In, 40, 30, 4));
  EXPECT_EQ(traced.paces, 4);
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
  const effect_run::Trace wide = effect_run::RunTrace(Options(Explode, In, 100, 10, 4));
  EXPECT_EQ(wide.paces, 2);
  EXPECT_EQ(Slice(wide.copies, 4, 4),
            (std::vector<std::string>{Piece(4, 4, 4, 2), Piece(92, 4, 4, 2), Piece(4, 4, 92, 4),
                                      Piece(4, 2, 92, 4)}));
  EXPECT_EQ(wide.diff, 0);

  // A grain beyond the picture: one frame whose sides reach out of it, and show it whole.
  EXPECT_EQ(
      effect_run::RunTrace(Options(Explode, In, 7, 5, 10)).text,
      Step({"blt 0 0 10 5 0 0", "blt -3 0 10 5 -3 0", "blt 0 0 7 10 0 0", "blt 0 -5 7 10 0 -5"}) +
          "diff 0\n");
}

TEST(ExplodeTest, OutRecopiesAGrowingSquareUntilItPassesTheLeftOrTopEdge) {
  EXPECT_EQ(effect_run::RunTrace(Options(Explode, Out, 40, 30, 4)).text,
            EachPaced({Piece(20, 16, 8, 8), Piece(16, 12, 16, 16), Piece(12, 8, 24, 24),
                       Piece(8, 4, 32, 32), Piece(4, 0, 40, 40), Piece(0, -4, 48, 48)}) +
                "diff 0\n");
  // The grain at least the picture's size: one square from the corner.
  EXPECT_EQ(effect_run::RunTrace(Options(Explode, Out, 5, 7, 9)).text,
            EachPaced({Piece(0, 0, 18, 18)}) + "diff 0\n");
}

TEST(SpiralTest, InWindsFromTheTopLeftCornerInward) {
  // 40 x 30, g 4: 110 cells; laps 0 and 1 in full, the start of lap 2, and lap 4, the last.
  const effect_run::Trace traced = effect_run::RunTrace(Options(Spiral, In, 40, 30, 4));
  ASSERT_EQ(traced.copies.size(), 110U);
  EXPECT_EQ(traced.paces, 110);
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
  const effect_run::Trace traced = effect_run::RunTrace(Options(Spiral, Out, 40, 30, 4));
  ASSERT_EQ(traced.copies.size(), 180U);
  EXPECT_EQ(traced.paces, 180);
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
  const effect_run::Trace portrait = effect_run::RunTrace(Options(Spiral, Out, 20, 30, 4));
  EXPECT_EQ(portrait.paces, 130);
  EXPECT_EQ(portrait.diff, 0);
}

TEST(ExplodeSpiralTest, StepsArePacedWithTheEffectsOwnUnits) {
  // DelayFactor 1: units x 101 polls a step; Explode has 100 units, Spiral 20.
  trace::EffectTraceOptions explode = Options(Explode, Out, 40, 30, 4);
  explode.delayFactor = 1;
  EXPECT_EQ(effect_run::RunTrace(explode).polls, 6U * 100 * 101);
  trace::EffectTraceOptions spiral = Options(Spiral, In, 40, 30, 4);
  spiral.delayFactor = 1;
  EXPECT_EQ(effect_run::RunTrace(spiral).polls, 110U * 20 * 101);
}

TEST(ExplodeSpiralTest, InputLeavesWhatTheStepsSoFarDrew) {
  // ExplodeIn after one frame of a 12 x 10 picture, g 2: the outer ring, two pixels thick.
  effect_run::ExpectInputLeaves(
      {{"ExplodeIn", Explode, In}, 12, 10, 2, 1, OwnPixelsWhere([](int x, int y) {
         return x < 2 || x >= 10 || y < 2 || y >= 8;
       })});
  // ExplodeOut after one step: the centre square of 2 x 2 cells, a = 3, b = 2.
  effect_run::ExpectInputLeaves(
      {{"ExplodeOut", Explode, Out}, 12, 10, 2, 1, OwnPixelsWhere([](int x, int y) {
         return x >= 6 && x < 10 && y >= 4 && y < 8;
       })});
  // SpiralIn after three cells, the picture centred in a larger window.
  effect_run::ExpectInputLeaves(
      {{"SpiralIn", Spiral, In}, 12, 10, 2, 3, OwnPixelsWhere([](int x, int y) {
         return x < 6 && y < 2;
       })},
      {2, 3, 16, 16});
  // SpiralOut after its first lap of 10 cells: columns 3-4 of row 2, then round to column 2 and
  // up to row 1; cells (3, 1) and (4, 1) wait for the next lap's top run.
  const effect_run::Shown firstLap = OwnPixelsWhere([](int x, int y) {
    const int column = x / 2, row = y / 2;
    return (row == 2 && column >= 2 && column <= 4) || (row == 3 && column >= 2 && column <= 4) ||
           (row == 1 && column == 2);
  });
  effect_run::ExpectInputLeaves({{"SpiralOut", Spiral, Out}, 12, 10, 2, 10, firstLap});
}

TEST(ExplodeSpiralTest, EveryRoutineFinishesThePictureAtAnySizeAndGrain) {
  effect_run::ExpectEveryRunFinishesThePicture(
      {.routines = {{"ExplodeIn", Explode, In},
                    {"ExplodeOut", Explode, Out},
                    {"SpiralIn", Spiral, In},
                    {"SpiralOut", Spiral, Out}},
       .sizes = {{1, 1}, {1, 7}, {7, 1}, {13, 9}, {9, 13}, {40, 30}, {20, 30}, {37, 29}},
       .grains = {1, 2, 3, 4, 5, 7, 10, 50, INT_MAX}});
}

}  // namespace
