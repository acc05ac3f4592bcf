// Slide and Quad Slide: the picture, whole or in quarters, travels onto the target.
#include <climits>
#include <functional>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "effects/engine.h"
#include "tests/effects/routine_run.h"

namespace {

using routine_run::RunOnScreen;
using routine_run::RunTrace;
using routine_run::Stage;
// A picture pixel (x, y), or nullopt for black.
using SourcePoint = std::optional<std::pair<int, int>>;

constexpr int Slide = 7;
constexpr int QuadSlide = 19;

struct Routine {
  const char* name;
  int effect;
  int direction;
};
constexpr Routine Routines[] = {
    {"SlideRight", Slide, DirRight},   {"SlideLeft", Slide, DirLeft},
    {"SlideDown", Slide, DirDown},     {"SlideUp", Slide, DirUp},
    {"QuadSlideIn", QuadSlide, DirIn}, {"QuadSlideOut", QuadSlide, DirOut},
};

using routine_run::Options;

std::string CopiesOf(int effect, int direction, int width, int height, int grain) {
  const routine_run::Trace run = RunTrace(Options(effect, direction, width, height, grain));
  EXPECT_EQ(run.diff, 0);
  return Joined(run);
}

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
  const routine_run::Trace exact = RunTrace(Options(Slide, DirRight, 40, 2, 4));
  EXPECT_EQ(exact.paces, 11);
  EXPECT_EQ(exact.lines[exact.lines.size() - 2], "blt 0 0 40 2 0 0");
}

TEST(QuadSlideTest, ThePassOfTheWorkedExampleFinishesTheVerticalQuarters) {
  const routine_run::Trace run = RunTrace(Options(QuadSlide, DirIn, 800, 600, 4));
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
    const routine_run::Trace run = RunTrace(Options(QuadSlide, direction, 20, 40, 4));
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
    const routine_run::Screen screen = RunOnScreen(stage);
    EXPECT_EQ(screen.paces, 1);
    EXPECT_EQ(screen.at(0, 0), routine_run::PicturePixel(stage, 0, 0)) << direction;
    EXPECT_EQ(RunTrace(Options(QuadSlide, direction, 1, 1, 4)).paces, 3);
  }
}

// The step count each routine must reach whatever the size and grain.
int ExpectedSteps(const Routine& routine, int width, int height, int grain) {
  const auto cover = [grain](int extent) {
    const int n = std::max(extent / grain, 1);
    return static_cast<long long>(n) * grain == extent ? n : n + 1;
  };
  if (routine.effect == QuadSlide) return (cover(std::max(width, height)) + 1) / 2 + 2;
  const bool horizontal = routine.direction == DirRight || routine.direction == DirLeft;
  return cover(horizontal ? width : height) + 1;
}

TEST(SlideQuadSlideTest, EveryRoutineCompletesThePictureAtAnySizeAndGrain) {
  const int sizes[][2] = {{1, 1}, {2, 3}, {7, 5}, {41, 31}, {40, 30}, {33, 17}, {9, 31}, {64, 48}};
  const int grains[] = {1, 2, 3, 4, 7, 10, 64, 100};
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

TEST(SlideQuadSlideTest, AGrainNearTheIntLimitStillEndsWithThePicture) {
  for (const Routine& routine : Routines) {
    const Stage stage{.effect = routine.effect,
                      .direction = routine.direction,
                      .width = 7,
                      .height = 5,
                      .grain = INT_MAX,
                      .targetX = 3,
                      .targetY = 2,
                      .windowWidth = 12,
                      .windowHeight = 9};
    const routine_run::Screen screen = RunOnScreen(stage);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 7; ++x) {
        ASSERT_EQ(screen.at(3 + x, 2 + y), routine_run::PicturePixel(stage, x, y)) << routine.name;
      }
    }
  }
}

// Which of the picture's pixels are on the screen when input stops the effect.
struct AbortCase {
  Routine routine;
  int width, height, grain, abortAfter;
  std::function<SourcePoint(int x, int y)> shown;
};

TEST(SlideQuadSlideTest, InputStopsTheEffectWithTheStepsBeforeItOnScreen) {
  const AbortCase cases[] = {
      // Nothing is visible when input is pending at the start.
      {Routines[0], 20, 10, 4, 1, [](int, int) { return SourcePoint{}; }},
      {Routines[4], 20, 10, 4, 1, [](int, int) { return SourcePoint{}; }},
      {Routines[5], 20, 10, 4, 1, [](int, int) { return SourcePoint{}; }},
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
        const SourcePoint source = inside ? c.shown(px, py) : SourcePoint{};
        const std::uint32_t expected =
            source ? routine_run::PicturePixel(stage, source->first, source->second) : 0;
        if (screen.at(x, y) != expected) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
