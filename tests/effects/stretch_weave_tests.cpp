// Stretch and Weave: the whole picture scaled into a growing strip, and cells laid in alternate
// columns or rows running towards each other.
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "effects/engine.h"
#include "tests/effects/effect_run.h"

namespace {

using effect_run::Options;
using effect_run::RunOnScreen;
using effect_run::RunTrace;
using effect_run::Stage;
using effect_run::WrongPixels;

constexpr int Stretch = 15;
constexpr int Weave = 10;

std::string Describe(int direction, int width, int height, int grain, int x, int y) {
  return "direction " + std::to_string(direction) + " " + std::to_string(width) + "x" +
         std::to_string(height) + " grain " + std::to_string(grain) + " at " + std::to_string(x) +
         "," + std::to_string(y);
}

// What the picture's place shows once the whole picture has been scaled, nearest pixel, into a
// strip of `length` pixels along the stage's axis, anchored at the edge the direction grows from.
// Places beyond the picture along that axis are answered too.
effect_run::Shown Stretched(const Stage& stage, long long length) {
  return [stage, length](int x, int y) -> effect_run::SourcePoint {
    const bool across = stage.direction == DirRight || stage.direction == DirLeft;
    const long long extent = across ? stage.width : stage.height;
    const bool fromFar = stage.direction == DirLeft || stage.direction == DirUp;
    const long long start = fromFar ? extent - length : 0;
    long long along = across ? x : y;
    if (along < start || along >= start + length) return {};
    along = (2 * (along - start) + 1) * extent / (2 * length);
    const int scaled = static_cast<int>(along);
    return across ? std::pair{scaled, y} : std::pair{x, scaled};
  };
}

// The window pixels that differ from the picture scaled into a strip of `length`, which may reach
// beyond the picture's place along the stage's axis.
int WrongStretchPixels(const effect_run::Screen& screen, const Stage& stage, long long length) {
  const effect_run::Shown shown = Stretched(stage, length);
  const bool across = stage.direction == DirRight || stage.direction == DirLeft;
  return WrongPixels(screen, [&](int x, int y) -> std::uint32_t {
    const int px = x - stage.targetX;
    const int py = y - stage.targetY;
    const bool besideTheStrip = across ? py < 0 || py >= stage.height : px < 0 || px >= stage.width;
    const effect_run::SourcePoint source = besideTheStrip ? std::nullopt : shown(px, py);
    return source ? effect_run::PicturePixel(stage, source->first, source->second) : 0;
  });
}

TEST(StretchTest, TheStripGrowsByTheGrainFromAnEmptyFirstStep) {
  effect_run::Trace run = RunTrace(Options(Stretch, DirRight, 40, 3, 4));
  EXPECT_EQ(run.paces, 11);
  EXPECT_EQ(run.lines.front(), "stretch 0 0 0 3 0 0 40 3");
  EXPECT_EQ(run.lines[2], "stretch 0 0 4 3 0 0 40 3");
  EXPECT_EQ(run.lines[20], "stretch 0 0 40 3 0 0 40 3");
  EXPECT_EQ(run.diff, 0);

  // 30 rows in steps of 4: the last strip is 32 rows, 2 past the bottom edge.
  run = RunTrace(Options(Stretch, DirDown, 5, 30, 4));
  EXPECT_EQ(run.paces, 9);
  EXPECT_EQ(run.lines[16], "stretch 0 0 5 32 0 0 5 30");

  // A grain beyond the picture: nothing, then the picture stretched to one grain, starting
  // before the left edge.
  EXPECT_EQ(Joined(RunTrace(Options(Stretch, DirLeft, 7, 2, 10))),
            "stretch 7 0 0 2 0 0 7 2\npace\nstretch -3 0 10 2 0 0 7 2\npace\n");

  trace::EffectTraceOptions offset = Options(Stretch, DirUp, 3, 5, 2);
  offset.targetX = 2;
  offset.targetY = -1;
  offset.windowWidth = 8;
  offset.windowHeight = 8;
  EXPECT_EQ(Joined(RunTrace(offset)),
            "stretch 2 4 3 0 0 0 3 5\npace\nstretch 2 2 3 2 0 0 3 5\npace\n"
            "stretch 2 0 3 4 0 0 3 5\npace\nstretch 2 -2 3 6 0 0 3 5\npace\n");
}

TEST(StretchTest, EveryDirectionEndsWithThePictureScaledIntoItsLastStrip) {
  const int directions[] = {DirRight, DirLeft, DirUp, DirDown};
  const int sizes[][2] = {{1, 1}, {2, 3}, {7, 5}, {40, 30}, {33, 17}, {9, 31}};
  const int grains[] = {1, 2, 3, 4, 7, 10, 64};
  for (const int direction : directions) {
    for (const auto& size : sizes) {
      for (const int grain : grains) {
        const int width = size[0];
        const int height = size[1];
        const Stage stage{.effect = Stretch,
                          .direction = direction,
                          .width = width,
                          .height = height,
                          .grain = grain};
        for (const Stage& s : effect_run::InsideAndCut(stage)) {
          SCOPED_TRACE(Describe(direction, width, height, grain, s.targetX, s.targetY));
          const effect_run::Screen screen = RunOnScreen(s);
          const int extent = direction == DirRight || direction == DirLeft ? width : height;
          const int steps = CeilDiv(extent, grain);
          EXPECT_EQ(screen.paces, steps + 1);
          EXPECT_FALSE(screen.objectsLeft);
          const long long length = static_cast<long long>(steps) * grain;
          EXPECT_EQ(WrongStretchPixels(screen, s, length), 0);
          // When the grain divides the extent the last step is one to one.
          if (extent % grain == 0) {
            trace::EffectTraceOptions options = Options(Stretch, direction, width, height, grain);
            options.targetX = s.targetX;
            options.targetY = s.targetY;
            options.windowWidth = s.windowWidth;
            options.windowHeight = s.windowHeight;
            EXPECT_EQ(RunTrace(options).diff, 0);
          }
        }
      }
    }
  }
}

TEST(StretchTest, AHugeGrainStretchesWithoutWrappingOntoThePicture) {
  for (const int direction : {DirRight, DirLeft, DirUp, DirDown}) {
    SCOPED_TRACE(direction);
    const Stage stage = effect_run::SmallPictureStage(Stretch, direction, INT_MAX);
    const effect_run::Screen screen = RunOnScreen(stage);
    EXPECT_EQ(screen.paces, 2);
    EXPECT_EQ(WrongStretchPixels(screen, stage, INT_MAX), 0);
  }
}

TEST(StretchTest, InputLeavesThePictureSqueezedIntoTheStripOfTheLastStepDrawn) {
  const struct {
    int direction, abortAfter;
  } cases[] = {{DirRight, 1}, {DirRight, 3}, {DirLeft, 4}, {DirUp, 2}, {DirDown, 5}};
  for (const auto& c : cases) {
    const Stage stage{.effect = Stretch,
                      .direction = c.direction,
                      .width = 40,
                      .height = 24,
                      .grain = 4,
                      .targetX = 2,
                      .targetY = 1,
                      .windowWidth = 44,
                      .windowHeight = 26,
                      .abortAfter = c.abortAfter};
    effect_run::ExpectInputLeaves(stage, Stretched(stage, 4LL * (c.abortAfter - 1)));
  }
}

TEST(WeaveTest, CellsPairUpFromOppositeEdgesIncludingTheOnesOffThePicture) {
  effect_run::Trace run = RunTrace(Options(Weave, DirVertical, 40, 30, 4));
  EXPECT_EQ(run.paces, 54);
  EXPECT_EQ(run.lines[0], "blt 0 0 4 4 0 0");
  EXPECT_EQ(run.lines[1], "blt 4 30 4 4 4 30");
  EXPECT_EQ(run.lines[6 * 3], "blt 0 4 4 4 0 4");
  EXPECT_EQ(run.lines[6 * 3 + 1], "blt 4 26 4 4 4 26");
  EXPECT_EQ(run.diff, 0);

  run = RunTrace(Options(Weave, DirHorizontal, 40, 30, 4));
  EXPECT_EQ(run.paces, 55);
  EXPECT_EQ(run.lines[0], "blt 0 0 4 4 0 0");
  EXPECT_EQ(run.lines[1], "blt 40 4 4 4 40 4");
  EXPECT_EQ(run.diff, 0);

  // Three columns of 2 x 2 cells; the upward ones end reaching above the top edge.
  trace::EffectTraceOptions offset = Options(Weave, DirVertical, 5, 3, 2);
  offset.targetX = -1;
  offset.targetY = 1;
  offset.windowWidth = 4;
  offset.windowHeight = 5;
  run = RunTrace(offset);
  EXPECT_EQ(Joined(run),
            "blt -1 1 2 2 0 0\nblt 1 4 2 2 2 3\npace\nblt 3 1 2 2 4 0\nblt 5 4 2 2 6 3\npace\n"
            "blt -1 3 2 2 0 2\nblt 1 2 2 2 2 1\npace\nblt 3 3 2 2 4 2\nblt 5 2 2 2 6 1\npace\n"
            "blt -1 5 2 2 0 4\nblt 1 0 2 2 2 -1\npace\nblt 3 5 2 2 4 4\nblt 5 0 2 2 6 -1\npace\n");
  EXPECT_EQ(run.diff, 0);
}

TEST(WeaveTest, BothDirectionsCompleteThePictureAtAnySizeAndGrain) {
  effect_run::ExpectEveryRunFinishesThePicture(
      {.routines = {{"WeaveVertical", Weave, DirVertical},
                    {"WeaveHorizontal", Weave, DirHorizontal}},
       .sizes = {{1, 1}, {2, 3}, {7, 5}, {45, 25}, {40, 30}, {33, 17}, {9, 31}},
       .grains = {1, 2, 3, 4, 7, 10, 64},
       .paces = [](const effect_run::SweepRun& run, const effect_run::Trace&) {
         const int cols = CeilDiv(run.width, run.grain);
         const int rows = CeilDiv(run.height, run.grain);
         return run.routine.direction == DirVertical ? (rows + 1) * ((cols + 2) / 2)
                                                     : (cols + 1) * ((rows + 2) / 2);
       }});
}

TEST(WeaveTest, AHugeGrainDrawsThePictureWithItsFirstCell) {
  for (const int direction : {DirVertical, DirHorizontal}) {
    SCOPED_TRACE(direction);
    const Stage stage = effect_run::SmallPictureStage(Weave, direction, INT_MAX);
    const effect_run::Screen screen = RunOnScreen(stage);
    EXPECT_EQ(screen.paces, 2);
    EXPECT_EQ(WrongPixels(screen, stage, effect_run::WholePicture), 0);
  }
}

TEST(WeaveTest, InputLeavesTheCellsOfTheStepsBeforeIt) {
  using effect_run::OwnPixelsWhere;
  constexpr effect_run::Routine Vertical{"WeaveVertical", Weave, DirVertical};
  constexpr effect_run::Routine Horizontal{"WeaveHorizontal", Weave, DirHorizontal};
  const effect_run::AbortCase cases[] = {
      // The whole first row step: the upward cells all lie below the picture.
      {Vertical, 8, 6, 2, 3,
       OwnPixelsWhere([](int x, int y) { return (x / 2) % 2 == 0 && y < 2; })},
      {Vertical, 8, 6, 2, 4, OwnPixelsWhere([](int x, int y) {
         return ((x / 2) % 2 == 0 && y < 2) || (x < 2 && y < 4) || (x >= 2 && x < 4 && y >= 4);
       })},
      {Horizontal, 6, 8, 2, 3,
       OwnPixelsWhere([](int x, int y) { return (y / 2) % 2 == 0 && x < 2; })},
      {Horizontal, 6, 8, 2, 4, OwnPixelsWhere([](int x, int y) {
         return ((y / 2) % 2 == 0 && x < 2) || (y < 2 && x < 4) || (y >= 2 && y < 4 && x >= 4);
       })},
  };
  for (const effect_run::AbortCase& c : cases) effect_run::ExpectInputLeavesBordered(c);
}

TEST(StretchWeaveTest, EachStepBurnsTheEffectsPaceUnits) {
  for (const auto& [effect, direction, units] :
       {std::tuple{Stretch, int{DirUp}, 100}, std::tuple{Weave, int{DirHorizontal}, 10}}) {
    const Stage stage{.effect = effect,
                      .direction = direction,
                      .width = 20,
                      .height = 20,
                      .grain = 5,
                      .delayFactor = 3};
    const effect_run::Screen screen = RunOnScreen(stage);
    EXPECT_GT(screen.paces, 1);
    EXPECT_EQ(screen.polls, std::uint64_t(screen.paces) * units * (1 + 100 * 3)) << effect;
  }
}

}  // namespace
