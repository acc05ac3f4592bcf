// Snake and SlideWeave: their copies and pacing on the worked cases, the finished picture over
// many sizes and grains, and what input leaves on the screen.
#include <climits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/effects/effect_run.h"

namespace {

using effect_run::EachPaced;
using effect_run::NothingShown;
using effect_run::Options;
using effect_run::OwnPixelsWhere;
using effect_run::SourcePoint;
using effect_run::Step;

constexpr int Snake = 12;
constexpr int SlideWeave = 13;
constexpr int Right = 2, Left = 1, Up = 4, Down = 8;
constexpr int Vertical = 2, Horizontal = 1;

// The tracer's lines for Snake squares (column, row) of a grain of 10, picture at (0, 0).
std::string Squares(const std::vector<std::pair<int, int>>& squares) {
  std::vector<std::string> copies;
  for (const auto& [i, j] : squares) {
    const std::string place = std::to_string(i * 10) + " " + std::to_string(j * 10);
    std::string copy = "blt ";
    copy.append(place).append(" 10 10 ").append(place);
    copies.push_back(copy);
  }
  return EachPaced(copies);
}

TEST(SnakeTest, WalksItsPathSquareBySquareIncludingTheSquaresOutsideThePicture) {
  EXPECT_EQ(effect_run::RunTrace(Options(Snake, Right, 30, 20, 10)).text, Squares({{0, 2},
                                                                                   {0, 1},
                                                                                   {0, 0},
                                                                                   {1, 0},
                                                                                   {1, 1},
                                                                                   {1, 2},
                                                                                   {2, 2},
                                                                                   {2, 1},
                                                                                   {2, 0},
                                                                                   {3, 0},
                                                                                   {3, 1},
                                                                                   {3, 2}}) +
                                                                              "diff 0\n");
  EXPECT_EQ(effect_run::RunTrace(Options(Snake, Down, 30, 20, 10)).text, Squares({{0, 0},
                                                                                  {1, 0},
                                                                                  {2, 0},
                                                                                  {3, 0},
                                                                                  {4, 1},
                                                                                  {3, 1},
                                                                                  {2, 1},
                                                                                  {1, 1},
                                                                                  {0, 1},
                                                                                  {0, 2},
                                                                                  {1, 2},
                                                                                  {2, 2},
                                                                                  {3, 2},
                                                                                  {4, 3},
                                                                                  {3, 3},
                                                                                  {2, 3},
                                                                                  {1, 3},
                                                                                  {0, 3}}) +
                                                                             "diff 0\n");
  // Rows 2, 1, 0 and -1, with 4, 5, 4 and 5 squares.
  EXPECT_EQ(effect_run::RunTrace(Options(Snake, Up, 30, 20, 10)).text, Squares({{0, 2},
                                                                                {1, 2},
                                                                                {2, 2},
                                                                                {3, 2},
                                                                                {4, 1},
                                                                                {3, 1},
                                                                                {2, 1},
                                                                                {1, 1},
                                                                                {0, 1},
                                                                                {0, 0},
                                                                                {1, 0},
                                                                                {2, 0},
                                                                                {3, 0},
                                                                                {4, -1},
                                                                                {3, -1},
                                                                                {2, -1},
                                                                                {1, -1},
                                                                                {0, -1}}) +
                                                                           "diff 0\n");
  // nx = 4, ny = 3: columns 4 and -1 lie outside the picture.
  EXPECT_EQ(effect_run::RunTrace(Options(Snake, Left, 35, 25, 10)).text,
            Squares({{4, 0}, {4, 1}, {4, 2}, {4, 3}, {3, 3},  {3, 2},  {3, 1},  {3, 0},
                     {2, 0}, {2, 1}, {2, 2}, {2, 3}, {1, 3},  {1, 2},  {1, 1},  {1, 0},
                     {0, 0}, {0, 1}, {0, 2}, {0, 3}, {-1, 3}, {-1, 2}, {-1, 1}, {-1, 0}}) +
                "diff 0\n");
}

TEST(SnakeTest, AGrainBeyondThePictureWalksFourSquares) {
  EXPECT_EQ(effect_run::RunTrace(Options(Snake, Right, 7, 5, 10)).text,
            Squares({{0, 1}, {0, 0}, {1, 0}, {1, 1}}) + "diff 0\n");
  // The whole picture is there after the second square.
  effect_run::ExpectInputLeaves(
      {{"SnakeRight", Snake, Right}, 7, 5, 10, 2, effect_run::WholePicture});
}

TEST(SnakeTest, AHugeGrainDoesNotWrapTheSquaresOutsideThePictureBackOntoIt) {
  // Square (2, 0) lies at twice the grain, beyond any 32-bit coordinate: it stays far away.
  const std::string far = std::to_string(INT_MAX);
  const effect_run::Trace up = effect_run::RunTrace(Options(Snake, Up, 5, 3, INT_MAX));
  ASSERT_EQ(up.copies.size(), 5U);
  std::string expected = "blt ";
  expected.append(far).append(" 0 ").append(far).append(" ").append(far).append(" ");
  expected.append(far).append(" 0");
  EXPECT_EQ(up.copies[2], expected);
  for (const int direction : {Right, Left, Up, Down}) {
    SCOPED_TRACE(direction);
    EXPECT_EQ(effect_run::RunTrace(Options(Snake, direction, 5, 3, INT_MAX)).diff, 0);
  }
}

TEST(SnakeTest, InputLeavesTheSquaresWalkedSoFar) {
  // SnakeRight 30 x 20, g 10, two squares: (0, 2) draws nothing, (0, 1) the lower left.
  effect_run::ExpectInputLeaves(
      {{"SnakeRight", Snake, Right}, 30, 20, 10, 2, OwnPixelsWhere([](int x, int y) {
         return x < 10 && y >= 10;
       })});
  // SnakeUp: row 2 and squares (4, 1) and (3, 1) draw nothing; the seventh is (2, 1), so the
  // first visible row fills from the right.
  effect_run::ExpectInputLeaves(
      {{"SnakeUp", Snake, Up}, 30, 20, 10, 7, OwnPixelsWhere([](int x, int y) {
         return x >= 20 && y >= 10;
       })});
}

TEST(SlideWeaveTest, VerticalMovesAnOverflowingColumnBackOverTheLastOne) {
  // 40 x 30, g 10: 4 columns, 4 steps of 3 pairs. The last pair's down-sliding column at 40
  // lies just beyond the picture; its up-sliding one (50) moves back to 30.
  const std::string expected =
      Step({"blt 0 0 10 0 0 30", "blt 10 30 10 0 10 0", "blt 20 0 10 0 20 30",
            "blt 30 30 10 0 30 0", "blt 40 0 10 0 40 30", "blt 30 30 10 0 30 0"}) +
      Step({"blt 0 0 10 10 0 20", "blt 10 20 10 10 10 0", "blt 20 0 10 10 20 20",
            "blt 30 20 10 10 30 0", "blt 40 0 10 10 40 20", "blt 30 20 10 10 30 0"}) +
      Step({"blt 0 0 10 20 0 10", "blt 10 10 10 20 10 0", "blt 20 0 10 20 20 10",
            "blt 30 10 10 20 30 0", "blt 40 0 10 20 40 10", "blt 30 10 10 20 30 0"}) +
      Step({"blt 0 0 10 30 0 0", "blt 10 0 10 30 10 0", "blt 20 0 10 30 20 0",
            "blt 30 0 10 30 30 0", "blt 40 0 10 30 40 0", "blt 30 0 10 30 30 0"}) +
      "diff 0\n";
  EXPECT_EQ(effect_run::RunTrace(Options(SlideWeave, Vertical, 40, 30, 10)).text, expected);
}

TEST(SlideWeaveTest, HorizontalMovesAnOverflowingRowBelowThePicture) {
  // 45 x 25, g 10: 3 rows, 6 steps of 2 pairs; the second pair's odd row goes from 30 to 25.
  const std::string expected = Step({"blt 0 0 0 10 45 0", "blt 45 10 0 10 0 10",
                                     "blt 0 20 0 10 45 20", "blt 45 25 0 10 0 25"}) +
                               Step({"blt 0 0 10 10 35 0", "blt 35 10 10 10 0 10",
                                     "blt 0 20 10 10 35 20", "blt 35 25 10 10 0 25"}) +
                               Step({"blt 0 0 20 10 25 0", "blt 25 10 20 10 0 10",
                                     "blt 0 20 20 10 25 20", "blt 25 25 20 10 0 25"}) +
                               Step({"blt 0 0 30 10 15 0", "blt 15 10 30 10 0 10",
                                     "blt 0 20 30 10 15 20", "blt 15 25 30 10 0 25"}) +
                               Step({"blt 0 0 40 10 5 0", "blt 5 10 40 10 0 10",
                                     "blt 0 20 40 10 5 20", "blt 5 25 40 10 0 25"}) +
                               Step({"blt 0 0 50 10 0 0", "blt 0 10 50 10 0 10",
                                     "blt 0 20 50 10 0 20", "blt 0 25 50 10 0 25"}) +
                               "diff 0\n";
  EXPECT_EQ(effect_run::RunTrace(Options(SlideWeave, Horizontal, 45, 25, 10)).text, expected);
}

TEST(SlideWeaveTest, InputLeavesTheBandsHalfWayIn) {
  // The first step copies empty bands: input there leaves the screen black.
  effect_run::ExpectInputLeaves(
      {{"SlideWeaveVertical", SlideWeave, Vertical}, 40, 30, 10, 1, NothingShown});
  // One step in: the bottom 10 rows of the even columns at the top, the top 10 rows of the odd
  // columns at the bottom.
  const effect_run::Shown columnsHalfWay = [](int x, int y) -> SourcePoint {
    const bool even = (x / 10) % 2 == 0;
    if (even && y < 10) return {{x, y + 20}};
    if (!even && y >= 20) return {{x, y - 20}};
    return {};
  };
  effect_run::ExpectInputLeaves(
      {{"SlideWeaveVertical", SlideWeave, Vertical}, 40, 30, 10, 2, columnsHalfWay});
  // The right-most 10 columns of the even rows at the left, the left-most of the odd ones at
  // the right.
  const effect_run::Shown rowsHalfWay = [](int x, int y) -> SourcePoint {
    const bool even = (y / 10) % 2 == 0;
    if (even && x < 10) return {{x + 35, y}};
    if (!even && x >= 35) return {{x - 35, y}};
    return {};
  };
  effect_run::ExpectInputLeaves(
      {{"SlideWeaveHorizontal", SlideWeave, Horizontal}, 45, 25, 10, 2, rowsHalfWay});
}

TEST(SnakeSlideWeaveTest, PacesWithTheEffectsOwnUnits) {
  // DelayFactor 1: units x 101 polls a step; Snake has 50 units a square, SlideWeave 150 a step.
  trace::EffectTraceOptions snake = Options(Snake, Left, 35, 25, 10);
  snake.delayFactor = 1;
  EXPECT_EQ(effect_run::RunTrace(snake).polls, 24U * 50 * 101);
  trace::EffectTraceOptions weave = Options(SlideWeave, Horizontal, 45, 25, 10);
  weave.delayFactor = 1;
  EXPECT_EQ(effect_run::RunTrace(weave).polls, 6U * 150 * 101);
}

TEST(SnakeSlideWeaveTest, EveryRoutineFinishesThePictureAtAnySizeAndGrain) {
  effect_run::ExpectEveryRunFinishesThePicture(
      {.routines = {{"SnakeRight", Snake, Right},
                    {"SnakeLeft", Snake, Left},
                    {"SnakeUp", Snake, Up},
                    {"SnakeDown", Snake, Down},
                    {"SlideWeaveVertical", SlideWeave, Vertical},
                    {"SlideWeaveHorizontal", SlideWeave, Horizontal}},
       .sizes = {{1, 1}, {1, 7}, {7, 1}, {13, 9}, {9, 13}, {37, 29}, {64, 48}},
       .grains = {1, 2, 3, 4, 5, 7, 10, 50, 100},
       // Snake paces every square; SlideWeave once per step, after CeilDiv(length, g) + 1.
       .paces = [](const effect_run::SweepRun& run, const effect_run::Trace& traced) {
         if (run.routine.effect != SlideWeave) return effect_run::EveryCopyPaced(run, traced);
         const int length = run.routine.direction == Vertical ? run.height : run.width;
         return std::optional<int>((length + run.grain - 1) / run.grain + 1);
       }});
}

}  // namespace
