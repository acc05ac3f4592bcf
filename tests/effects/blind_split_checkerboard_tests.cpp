// Blind, Split and Checkerboard: pieces copied onto their own place, in the effect's order.
#include <climits>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "effects/engine.h"
#include "tests/effects/routine_run.h"

namespace {

using routine_run::RunOnScreen;
using routine_run::RunTrace;
using routine_run::Stage;

constexpr int Blind = 1;
constexpr int Split = 9;
constexpr int Checkerboard = 18;

struct Routine {
  const char* name;
  int effect;
  int direction;
};
constexpr Routine Routines[] = {
    {"BlindHorizontal", Blind, DirHorizontal}, {"BlindVertical", Blind, DirVertical},
    {"SplitVertical", Split, DirVertical},     {"SplitHorizontal", Split, DirHorizontal},
    {"CheckerboardUp", Checkerboard, DirUp},   {"CheckerboardDown", Checkerboard, DirDown},
};

using routine_run::Options;

// The copies of each paced step, one text per step.
std::vector<std::string> Steps(const routine_run::Trace& run) {
  std::vector<std::string> steps(1);
  for (const std::string& line : run.lines) {
    if (line == "pace") {
      steps.emplace_back();
    } else {
      steps.back() += line + "\n";
    }
  }
  steps.pop_back();
  return steps;
}

TEST(BlindTest, EverySlatOpensOneRowPerStep) {
  const routine_run::Trace run = RunTrace(Options(Blind, DirHorizontal, 5, 30, 4));
  EXPECT_EQ(run.diff, 0);
  const std::vector<std::string> steps = Steps(run);
  ASSERT_EQ(steps.size(), 8U);
  EXPECT_EQ(steps[0], "blt 0 0 5 1 0 0\nblt 0 8 5 1 0 8\nblt 0 16 5 1 0 16\nblt 0 24 5 1 0 24\n");
  // The last slat reaches 2 rows below the picture.
  EXPECT_EQ(steps[7], "blt 0 0 5 8 0 0\nblt 0 8 5 8 0 8\nblt 0 16 5 8 0 16\nblt 0 24 5 8 0 24\n");
  const routine_run::Trace vertical = RunTrace(Options(Blind, DirVertical, 10, 2, 4));
  EXPECT_EQ(vertical.diff, 0);
  EXPECT_EQ(Steps(vertical)[0],
            "blt 0 0 1 2 0 0\nblt 3 0 1 2 3 0\nblt 6 0 1 2 6 0\n"
            "blt 9 0 1 2 9 0\n");
}

TEST(BlindTest, AGrainBeyondThePictureShowsItInOneStepEmptySlatsIncluded) {
  const routine_run::Trace run = RunTrace(Options(Blind, DirHorizontal, 4, 3, 8));
  EXPECT_EQ(Joined(run),
            "blt 0 0 4 1 0 0\nblt 0 1 4 1 0 1\nblt 0 2 4 1 0 2\nblt 0 3 4 1 0 3\n"
            "blt 0 4 4 1 0 4\nblt 0 5 4 1 0 5\nblt 0 6 4 1 0 6\nblt 0 7 4 1 0 7\npace\n");
  EXPECT_EQ(run.diff, 0);
  // A hand-edited grain near the int limit must not mean billions of copies per step.
  for (const int direction : {DirHorizontal, DirVertical}) {
    const routine_run::Trace huge = RunTrace(Options(Blind, direction, 6, 5, INT_MAX));
    EXPECT_EQ(huge.paces, 1);
    EXPECT_EQ(huge.diff, 0);
    EXPECT_EQ(huge.lines.size(), direction == DirHorizontal ? 6U : 7U);
  }
}

TEST(SplitTest, TheStripsOfTheExamples) {
  const routine_run::Trace vertical = RunTrace(Options(Split, DirVertical, 40, 3, 4));
  EXPECT_EQ(vertical.diff, 0);
  const std::vector<std::string> steps = Steps(vertical);
  const int strips[][2] = {{24, 16}, {20, 20}, {16, 24}, {12, 28}, {8, 32}, {4, 36}, {0, 40}};
  ASSERT_EQ(steps.size(), 7U);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const int b = strips[i][0];
    const int a = strips[i][1];
    std::string expected = routine_run::Blt(b, 0, 4, 3, b, 0);
    expected += routine_run::Blt(a, 0, 4, 3, a, 0);
    EXPECT_EQ(steps[i], expected);
  }
  const routine_run::Trace horizontal = RunTrace(Options(Split, DirHorizontal, 3, 30, 4));
  EXPECT_EQ(horizontal.diff, 0);
  const std::vector<std::string> rows = Steps(horizontal);
  const int bands[][2] = {{15, 15}, {11, 19}, {7, 23}, {3, 27}, {-1, 31}};
  ASSERT_EQ(rows.size(), 5U);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int b = bands[i][0];
    const int a = bands[i][1];
    std::string expected = routine_run::Blt(0, b, 3, 4, 0, b);
    expected += routine_run::Blt(0, a, 3, 4, 0, a);
    EXPECT_EQ(rows[i], expected);
  }
  EXPECT_EQ(RunTrace(Options(Split, DirHorizontal, 5, 1, 4)).paces, 1);
  // A grain wider than the picture: the strips cross and come back.
  const routine_run::Trace wide = RunTrace(Options(Split, DirVertical, 7, 2, 10));
  EXPECT_EQ(Joined(wide),
            "blt 13 0 10 2 13 0\nblt -7 0 10 2 -7 0\npace\n"
            "blt 3 0 10 2 3 0\nblt 3 0 10 2 3 0\npace\n"
            "blt -7 0 10 2 -7 0\nblt 13 0 10 2 13 0\npace\n");
  EXPECT_EQ(wide.diff, 0);
}

TEST(CheckerboardTest, EachColourSweepsTheRowsIncludingTheOneBelowThePicture) {
  const routine_run::Trace up = RunTrace(Options(Checkerboard, DirUp, 40, 30, 4));
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
  const routine_run::Trace down = RunTrace(Options(Checkerboard, DirDown, 40, 30, 4));
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
    const routine_run::Screen screen = RunOnScreen(stage);
    EXPECT_EQ(screen.at(4, 2), routine_run::PicturePixel(stage, 4, 2));
    EXPECT_EQ(screen.at(0, 0), routine_run::PicturePixel(stage, 0, 0));
  }
}

// The step count each routine must reach whatever the size and grain.
int ExpectedSteps(const Routine& routine, int width, int height, int grain) {
  switch (routine.effect) {
    case Blind:
      return CeilDiv(routine.direction == DirHorizontal ? height : width, grain);
    case Split:
      return routine.direction == DirVertical ? 2 + CeilDiv(width / 2, grain)
                                              : 1 + CeilDiv(height / 2, grain);
    default:
      return 2 * (CeilDiv(height, grain) + 1);
  }
}

TEST(BlindSplitCheckerboardTest, EveryRoutineCompletesThePictureAtAnySizeAndGrain) {
  const int sizes[][2] = {{1, 1}, {2, 3}, {7, 5}, {41, 31}, {40, 30}, {33, 17}, {9, 31}, {64, 48}};
  const int grains[] = {1, 2, 3, 4, 7, 10, 64, 100, INT_MAX};
  for (const Routine& routine : Routines) {
    for (const auto& size : sizes) {
      for (const int grain : grains) {
        const int width = size[0];
        const int height = size[1];
        // Inside a larger window, and cut by a smaller one (negative targets).
        for (const trace::EffectTraceOptions& options : routine_run::InsideAndCut(
                 Options(routine.effect, routine.direction, width, height, grain))) {
          const routine_run::Trace run = RunTrace(options);
          SCOPED_TRACE(std::string(routine.name) + " " + std::to_string(width) + "x" +
                       std::to_string(height) + " grain " + std::to_string(grain) + " at " +
                       std::to_string(options.targetX));
          EXPECT_EQ(run.diff, 0);
          EXPECT_EQ(run.paces, ExpectedSteps(routine, width, height, grain));
          EXPECT_EQ(run.lines.back(), "pace");
        }
      }
    }
  }
}

// Which of the picture's pixels are on the screen when input stops the effect.
struct AbortCase {
  Routine routine;
  int width, height, grain, abortAfter;
  std::function<bool(int x, int y)> drawn;
};

TEST(BlindSplitCheckerboardTest, InputStopsTheEffectWithThePiecesOfTheStepsBeforeIt) {
  const AbortCase cases[] = {
      // Input pending at the start still leaves the first step's pieces.
      {Routines[0], 10, 30, 4, 1, [](int, int y) { return y % 8 == 0; }},
      {Routines[1], 30, 10, 4, 1, [](int x, int) { return x % 8 == 0; }},
      {Routines[2], 40, 10, 4, 1,
       [](int x, int) { return (x >= 16 && x < 20) || (x >= 24 && x < 28); }},
      {Routines[3], 10, 30, 4, 1, [](int, int y) { return y >= 15 && y < 19; }},
      {Routines[4], 40, 30, 4, 2, [](int x, int y) { return y >= 28 && (x / 4) % 2 == 1; }},
      {Routines[5], 40, 30, 4, 1, [](int x, int y) { return y < 4 && (x / 4) % 2 == 0; }},
      // Later steps.
      {Routines[0], 10, 30, 4, 3, [](int, int y) { return y % 8 < 3; }},
      {Routines[2], 40, 10, 4, 2, [](int x, int) { return x >= 16 && x < 28; }},
      {Routines[3], 10, 30, 4, 3, [](int, int y) { return y >= 7 && y < 27; }},
      {Routines[5], 40, 30, 4, 10, [](int x, int y) { return (x / 4 + y / 4) % 2 == 0 || y < 4; }},
  };
  for (const AbortCase& c : cases) {
    SCOPED_TRACE(std::string(c.routine.name) + " after step " + std::to_string(c.abortAfter));
    const Stage stage{.effect = c.routine.effect,
                      .direction = c.routine.direction,
                      .width = c.width,
                      .height = c.height,
                      .grain = c.grain,
                      .targetX = 2,
                      .targetY = 1,
                      .windowWidth = c.width + 4,
                      .windowHeight = c.height + 2,
                      .abortAfter = c.abortAfter};
    const routine_run::Screen screen = RunOnScreen(stage);
    EXPECT_EQ(screen.paces, c.abortAfter);
    EXPECT_FALSE(screen.objectsLeft);
    int wrong = 0;
    for (int y = 0; y < screen.height; ++y) {
      for (int x = 0; x < screen.width; ++x) {
        const int px = x - 2;
        const int py = y - 1;
        const bool inside = px >= 0 && px < c.width && py >= 0 && py < c.height;
        const std::uint32_t expected =
            inside && c.drawn(px, py) ? routine_run::PicturePixel(stage, px, py) : 0;
        if (screen.at(x, y) != expected) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
