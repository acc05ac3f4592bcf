// Slide and Quad Slide: the picture, whole or in quarters, travels onto the target.
#include <climits>
#include <iterator>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "effects/engine.h"
#include "tests/effects/effect_run.h"

namespace {

using effect_run::CopiesOf;
using effect_run::NothingShown;
using effect_run::Options;
using effect_run::Routine;
using effect_run::RunOnScreen;
using effect_run::RunTrace;
using effect_run::SourcePoint;
using effect_run::Stage;

constexpr int Slide = 7;
constexpr int QuadSlide = 19;

constexpr Routine Routines[] = {
    {"SlideRight", Slide, DirRight},   {"SlideLeft", Slide, DirLeft},
    {"SlideDown", Slide, DirDown},     {"SlideUp", Slide, DirUp},
    {"QuadSlideIn", QuadSlide, DirIn}, {"QuadSlideOut", QuadSlide, DirOut},
};

TEST(SlideTest, TheStripGrowsFromEmptyToPastThePictureWhenTheGrainDoesNotDivideIt) {
  EXPECT_EQ(CopiesOf(Slide, DirRight, 10, 3, 4),
            "blt 0 0 0 3 10 0\npace\nblt 0 0 4 3 6 0\npace\nblt 0 0 8 3 2 0\npace\n"
            "blt 0 0 12 3 0 0\npace\n");
  EXPECT_EQ(CopiesOf(Slide, DirLeft, 10, 3, 4),
            "blt 10 0 0 3 0 0\npace\nblt 6 0 4 3 0 0\npace\nblt 2 0 8 3 0 0\npace\n"
            "blt 0 0 12 3 0 0\npace\n");
  // A grain beyond the picture: an empty strip, then the whole picture twice.
  EXPECT_EQ(CopiesOf(Slide, DirDown, 3, 7, 10),
            "blt 0 0 3 0 0 7\npace\nblt 0 0 3 10 0 0\npace\nblt 0 0 3 20 0 0\npace\n");
  // A grain equal to the extent: an empty strip and the picture.
  EXPECT_EQ(CopiesOf(Slide, DirUp, 3, 5, 5), "blt 0 5 3 0 0 0\npace\nblt 0 0 3 5 0 0\npace\n");
  const effect_run::Trace exact = RunTrace(Options(Slide, DirRight, 40, 2, 4));
  EXPECT_EQ(exact.paces, 11);
  EXPECT_EQ(exact.lines[exact.lines.size() - 2], "blt 0 0 40 2 0 0");
}

TEST(QuadSlideTest, ThePassOfTheWorkedExampleFinishesTheVerticalQuarters) {
  const effect_run::Trace run = RunTrace(Options(QuadSlide, DirIn, 800, 600, 4));
  EXPECT_EQ(run.diff, 0);
  EXPECT_EQ(run.paces, 102);
  // Pass 75 is the 76th group of copies.
  std::string pass;
  int paces = 0;
  int quartersAfter = 0;
  for (const std::string& line : run.lines) {
    if (line == "pace") {
      ++paces;
      continue;
    }
    if (paces == 75) pass += line + "\n";
    if (paces > 75) ++quartersAfter;
  }
  EXPECT_EQ(pass,
            "blt 0 0 300 301 100 0\nblt 500 299 300 301 400 299\n"
            "blt 400 0 400 301 400 0\nblt 0 300 401 300 0 300\n");
  // Only the horizontally moving quarters go on, up to pass 100; pass 101 draws nothing.
  EXPECT_EQ(quartersAfter, 2 * 25);
  EXPECT_EQ(run.lines.back(), "pace");
  EXPECT_EQ(run.lines[run.lines.size() - 2], "pace");
}

TEST(QuadSlideTest, APortraitPictureFinishesTheHorizontalQuartersFirst) {
  for (const int direction : {DirIn, DirOut}) {
    const effect_run::Trace run = RunTrace(Options(QuadSlide, direction, 20, 40, 4));
    EXPECT_EQ(run.diff, 0);
    // The left and right quarters finish in pass 3 (d = 12), the others in pass 5: pass 4
    // copies only those two, and pass 6 nothing.
    int copies = 0;
    int paces = 0;
    for (const std::string& line : run.lines) {
      if (line == "pace") {
        ++paces;
      } else if (paces == 4) {
        ++copies;
      }
    }
    EXPECT_EQ(copies, 2) << direction;
    EXPECT_EQ(run.paces, 7);
  }
}

TEST(QuadSlideTest, ASinglePixelIsCompleteAfterTheFirstPass) {
  for (const int direction : {DirIn, DirOut}) {
    const Stage stage{.effect = QuadSlide, .direction = direction, .grain = 4, .abortAfter = 1};
    const effect_run::Screen screen = RunOnScreen(stage);
    EXPECT_EQ(screen.paces, 1);
    EXPECT_EQ(screen.at(0, 0), effect_run::PicturePixel(stage, 0, 0)) << direction;
    EXPECT_EQ(RunTrace(Options(QuadSlide, direction, 1, 1, 4)).paces, 3);
  }
}

// The step count each routine must reach whatever the size and grain.
std::optional<int> ExpectedSteps(const effect_run::SweepRun& run, const effect_run::Trace&) {
  const int grain = run.grain;
  const auto cover = [grain](int extent) {
    const int n = std::max(extent / grain, 1);
    return static_cast<long long>(n) * grain == extent ? n : n + 1;
  };
  if (run.routine.effect == QuadSlide) return (cover(std::max(run.width, run.height)) + 1) / 2 + 2;
  const bool horizontal = run.routine.direction == DirRight || run.routine.direction == DirLeft;
  return cover(horizontal ? run.width : run.height) + 1;
}

TEST(SlideQuadSlideTest, EveryRoutineCompletesThePictureAtAnySizeAndGrain) {
  effect_run::ExpectEveryRunFinishesThePicture(
      {.routines = {std::begin(Routines), std::end(Routines)},
       .sizes = {{1, 1}, {2, 3}, {7, 5}, {41, 31}, {40, 30}, {33, 17}, {9, 31}, {64, 48}},
       .grains = {1, 2, 3, 4, 7, 10, 64, 100},
       .paces = ExpectedSteps});
}

TEST(SlideQuadSlideTest, AGrainNearTheIntLimitStillEndsWithThePicture) {
  for (const Routine& routine : Routines) {
    SCOPED_TRACE(routine.name);
    const Stage stage = effect_run::SmallPictureStage(routine.effect, routine.direction, INT_MAX);
    EXPECT_EQ(effect_run::WrongPixels(RunOnScreen(stage), stage, effect_run::WholePicture), 0);
  }
}

TEST(SlideQuadSlideTest, InputStopsTheEffectWithTheStepsBeforeItOnScreen) {
  const effect_run::AbortCase cases[] = {
      // Nothing is visible when input is pending at the start.
      {Routines[0], 20, 10, 4, 1, NothingShown},
      {Routines[4], 20, 10, 4, 1, NothingShown},
      {Routines[5], 20, 10, 4, 1, NothingShown},
      // Step 3 (d = 12) alone, as every step covers the one before.
      {Routines[0], 20, 10, 4, 4,
       [](int x, int y) {
         return x < 12 ? SourcePoint{{x + 8, y}} : SourcePoint{};
       }},
      {Routines[1], 20, 10, 4, 4,
       [](int x, int y) {
         return x >= 8 ? SourcePoint{{x - 8, y}} : SourcePoint{};
       }},
      {Routines[2], 10, 20, 4, 4,
       [](int x, int y) {
         return y < 12 ? SourcePoint{{x, y + 8}} : SourcePoint{};
       }},
      {Routines[3], 10, 20, 4, 4,
       [](int x, int y) {
         return y >= 8 ? SourcePoint{{x, y - 8}} : SourcePoint{};
       }},
      // Pass 1 (d = 4) of 20 x 20: each quarter shows its 4 leading rows or columns.
      {Routines[4], 20, 20, 4, 2,
       [](int x, int y) -> SourcePoint {
         if (y <= 10 && x < 4) return {{x + 6, y}};              // top-left, from the left
         if (y >= 9 && x >= 16) return {{x - 6, y}};             // bottom-right, from the right
         if (x >= 10 && y < 4) return {{x, y + 6}};              // top-right, from the top
         if (x <= 10 && y >= 16 && y < 20) return {{x, y - 6}};  // bottom-left, from below
         return {};
       }},
      {Routines[5], 20, 20, 4, 2,
       [](int x, int y) -> SourcePoint {
         if (y < 10 && x >= 6 && x < 10) return {{x - 6, y}};  // top-left, moving left
         // The bottom-left quarter is copied last and overlaps the middle column.
         if (x <= 10 && y >= 10 && y < 14) return {{x, y + 6}};  // bottom-left, moving down
         if (y >= 10 && x >= 10 && x < 14) return {{x + 6, y}};  // bottom-right, moving right
         if (x >= 10 && y >= 6 && y < 10) return {{x, y - 6}};   // top-right, moving up
         return {};
       }},
  };
  for (const effect_run::AbortCase& c : cases) effect_run::ExpectInputLeavesBordered(c);
}

}  // namespace
