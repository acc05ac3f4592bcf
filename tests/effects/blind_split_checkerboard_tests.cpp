// Blind, Split and Checkerboard: pieces copied onto their own place, in the effect's order.
#include <climits>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "effects/engine.h"
#include "tests/effects/effect_run.h"

namespace {

using effect_run::Lines;
using effect_run::Options;
using effect_run::OwnPixelsWhere;
using effect_run::Routine;
using effect_run::RunOnScreen;
using effect_run::RunTrace;
using effect_run::Stage;

constexpr int Blind = 1;
constexpr int Split = 9;
constexpr int Checkerboard = 18;

constexpr Routine Routines[] = {
    {"BlindHorizontal", Blind, DirHorizontal}, {"BlindVertical", Blind, DirVertical},
    {"SplitVertical", Split, DirVertical},     {"SplitHorizontal", Split, DirHorizontal},
    {"CheckerboardUp", Checkerboard, DirUp},   {"CheckerboardDown", Checkerboard, DirDown},
};

// The copies of each paced step, one text per step.
std::vector<std::string> Steps(const effect_run::Trace& run) {
  std::vector<std::string> steps;
  for (const auto& copies : effect_run::CopiesByStep(run)) steps.push_back(Lines(copies));
  return steps;
}

TEST(BlindTest, EverySlatOpensOneRowPerStep) {
  const effect_run::Trace run = RunTrace(Options(Blind, DirHorizontal, 5, 30, 4));
  EXPECT_EQ(run.diff, 0);
  const std::vector<std::string> steps = Steps(run);
  ASSERT_EQ(steps.size(), 8U);
  EXPECT_EQ(steps[0], "blt 0 0 5 1 0 0\nblt 0 8 5 1 0 8\nblt 0 16 5 1 0 16\nblt 0 24 5 1 0 24\n");
  // The last slat reaches 2 rows below the picture.
  EXPECT_EQ(steps[7], "blt 0 0 5 8 0 0\nblt 0 8 5 8 0 8\nblt 0 16 5 8 0 16\nblt 0 24 5 8 0 24\n");
  const effect_run::Trace vertical = RunTrace(Options(Blind, DirVertical, 10, 2, 4));
  EXPECT_EQ(vertical.diff, 0);
  EXPECT_EQ(Steps(vertical)[0],
            "blt 0 0 1 2 0 0\nblt 3 0 1 2 3 0\nblt 6 0 1 2 6 0\n"
            "blt 9 0 1 2 9 0\n");
}

TEST(BlindTest, AGrainBeyondThePictureShowsItInOneStepEmptySlatsIncluded) {
  const effect_run::Trace run = RunTrace(Options(Blind, DirHorizontal, 4, 3, 8));
  EXPECT_EQ(Joined(run),
            "blt 0 0 4 1 0 0\nblt 0 1 4 1 0 1\nblt 0 2 4 1 0 2\nblt 0 3 4 1 0 3\n"
            "blt 0 4 4 1 0 4\nblt 0 5 4 1 0 5\nblt 0 6 4 1 0 6\nblt 0 7 4 1 0 7\npace\n");
  EXPECT_EQ(run.diff, 0);
  // A hand-edited grain near the int limit must not mean billions of copies per step.
  for (const int direction : {DirHorizontal, DirVertical}) {
    const effect_run::Trace huge = RunTrace(Options(Blind, direction, 6, 5, INT_MAX));
    EXPECT_EQ(huge.paces, 1);
    EXPECT_EQ(huge.diff, 0);
    EXPECT_EQ(huge.lines.size(), direction == DirHorizontal ? 6U : 7U);
  }
}

TEST(SplitTest, TheStripsOfTheExamples) {
  const effect_run::Trace vertical = RunTrace(Options(Split, DirVertical, 40, 3, 4));
  EXPECT_EQ(vertical.diff, 0);
  const std::vector<std::string> steps = Steps(vertical);
  const int strips[][2] = {{24, 16}, {20, 20}, {16, 24}, {12, 28}, {8, 32}, {4, 36}, {0, 40}};
  ASSERT_EQ(steps.size(), 7U);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const int b = strips[i][0];
    const int a = strips[i][1];
    std::string expected = effect_run::Blt(b, 0, 4, 3, b, 0);
    expected += effect_run::Blt(a, 0, 4, 3, a, 0);
    EXPECT_EQ(steps[i], expected);
  }
  const effect_run::Trace horizontal = RunTrace(Options(Split, DirHorizontal, 3, 30, 4));
  EXPECT_EQ(horizontal.diff, 0);
  const std::vector<std::string> rows = Steps(horizontal);
  const int bands[][2] = {{15, 15}, {11, 19}, {7, 23}, {3, 27}, {-1, 31}};
  ASSERT_EQ(rows.size(), 5U);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int b = bands[i][0];
    const int a = bands[i][1];
    std::string expected = effect_run::Blt(0, b, 3, 4, 0, b);
    expected += effect_run::Blt(0, a, 3, 4, 0, a);
    EXPECT_EQ(rows[i], expected);
  }
  EXPECT_EQ(RunTrace(Options(Split, DirHorizontal, 5, 1, 4)).paces, 1);
  // A grain wider than the picture: the strips cross and come back.
  const effect_run::Trace wide = RunTrace(Options(Split, DirVertical, 7, 2, 10));
  EXPECT_EQ(Joined(wide),
            "blt 13 0 10 2 13 0\nblt -7 0 10 2 -7 0\npace\n"
            "blt 3 0 10 2 3 0\nblt 3 0 10 2 3 0\npace\n"
            "blt -7 0 10 2 -7 0\nblt 13 0 10 2 13 0\npace\n");
  EXPECT_EQ(wide.diff, 0);
}

TEST(CheckerboardTest, EachColourSweepsTheRowsIncludingTheOneBelowThePicture) {
  const effect_run::Trace up = RunTrace(Options(Checkerboard, DirUp, 40, 30, 4));
  EXPECT_EQ(up.diff, 0);
  const std::vector<std::string> steps = Steps(up);
  ASSERT_EQ(steps.size(), 18U);
  EXPECT_EQ(steps[0],
            "blt 0 32 4 4 0 32\nblt 8 32 4 4 8 32\nblt 16 32 4 4 16 32\n"
            "blt 24 32 4 4 24 32\nblt 32 32 4 4 32 32\nblt 40 32 4 4 40 32\n");
  EXPECT_EQ(steps[1],
            "blt 4 28 4 4 4 28\nblt 12 28 4 4 12 28\nblt 20 28 4 4 20 28\n"
            "blt 28 28 4 4 28 28\nblt 36 28 4 4 36 28\nblt 44 28 4 4 44 28\n");
  // The second sweep starts again below the picture, with the other colour.
  EXPECT_EQ(steps[9].substr(0, 18), "blt 4 32 4 4 4 32\n");
  const effect_run::Trace down = RunTrace(Options(Checkerboard, DirDown, 40, 30, 4));
  EXPECT_EQ(Steps(down)[0].substr(0, 15), "blt 0 0 4 4 0 0");
  EXPECT_EQ(Steps(down)[9].substr(0, 15), "blt 4 0 4 4 4 0");
}

TEST(CheckerboardTest, AGrainCoveringThePictureShowsItInOneStep) {
  EXPECT_EQ(Joined(RunTrace(Options(Checkerboard, DirUp, 5, 3, 8))),
            "blt 8 8 8 8 8 8\npace\nblt 0 0 8 8 0 0\npace\n"
            "blt 0 8 8 8 0 8\npace\nblt 8 0 8 8 8 0\npace\n");
  for (const int direction : {DirUp, DirDown}) {
    const int showing = direction == DirUp ? 2 : 1;
    const Stage stage{.effect = Checkerboard,
                      .direction = direction,
                      .width = 5,
                      .height = 3,
                      .grain = 8,
                      .abortAfter = showing};
    const effect_run::Screen screen = RunOnScreen(stage);
    EXPECT_EQ(screen.at(4, 2), effect_run::PicturePixel(stage, 4, 2));
    EXPECT_EQ(screen.at(0, 0), effect_run::PicturePixel(stage, 0, 0));
  }
}

// The step count each routine must reach whatever the size and grain.
std::optional<int> ExpectedSteps(const effect_run::SweepRun& run, const effect_run::Trace&) {
  switch (run.routine.effect) {
    case Blind:
      return CeilDiv(run.routine.direction == DirHorizontal ? run.height : run.width, run.grain);
    case Split:
      return run.routine.direction == DirVertical ? 2 + CeilDiv(run.width / 2, run.grain)
                                                  : 1 + CeilDiv(run.height / 2, run.grain);
    default:
      return 2 * (CeilDiv(run.height, run.grain) + 1);
  }
}

TEST(BlindSplitCheckerboardTest, EveryRoutineCompletesThePictureAtAnySizeAndGrain) {
  effect_run::ExpectEveryRunFinishesThePicture(
      {.routines = {std::begin(Routines), std::end(Routines)},
       .sizes = {{1, 1}, {2, 3}, {7, 5}, {41, 31}, {40, 30}, {33, 17}, {9, 31}, {64, 48}},
       .grains = {1, 2, 3, 4, 7, 10, 64, 100, INT_MAX},
       .paces = ExpectedSteps});
}

TEST(BlindSplitCheckerboardTest, InputStopsTheEffectWithThePiecesOfTheStepsBeforeIt) {
  const effect_run::AbortCase cases[] = {
      // Input pending at the start still leaves the first step's pieces.
      {Routines[0], 10, 30, 4, 1, OwnPixelsWhere([](int, int y) { return y % 8 == 0; })},
      {Routines[1], 30, 10, 4, 1, OwnPixelsWhere([](int x, int) { return x % 8 == 0; })},
      {Routines[2], 40, 10, 4, 1,
       OwnPixelsWhere([](int x, int) { return (x >= 16 && x < 20) || (x >= 24 && x < 28); })},
      {Routines[3], 10, 30, 4, 1, OwnPixelsWhere([](int, int y) { return y >= 15 && y < 19; })},
      {Routines[4], 40, 30, 4, 2,
       OwnPixelsWhere([](int x, int y) { return y >= 28 && (x / 4) % 2 == 1; })},
      {Routines[5], 40, 30, 4, 1,
       OwnPixelsWhere([](int x, int y) { return y < 4 && (x / 4) % 2 == 0; })},
      // Later steps.
      {Routines[0], 10, 30, 4, 3, OwnPixelsWhere([](int, int y) { return y % 8 < 3; })},
      {Routines[2], 40, 10, 4, 2, OwnPixelsWhere([](int x, int) { return x >= 16 && x < 28; })},
      {Routines[3], 10, 30, 4, 3, OwnPixelsWhere([](int, int y) { return y >= 7 && y < 27; })},
      {Routines[5], 40, 30, 4, 10,
       OwnPixelsWhere([](int x, int y) { return (x / 4 + y / 4) % 2 == 0 || y < 4; })},
  };
  for (const effect_run::AbortCase& c : cases) effect_run::ExpectInputLeavesBordered(c);
}

}  // namespace
