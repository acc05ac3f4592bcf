// Wipe, Crush and Interleave: bands copied onto their own place, from one edge or two.
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
using effect_run::OwnPixelsWhere;
using effect_run::Routine;
using effect_run::RunOnScreen;
using effect_run::RunTrace;
using effect_run::Stage;

constexpr int Wipe = 11;
constexpr int Crush = 2;
constexpr int Interleave = 14;

constexpr Routine Routines[] = {
    {"WipeRight", Wipe, DirRight},
    {"WipeLeft", Wipe, DirLeft},
    {"WipeUp", Wipe, DirUp},
    {"WipeDown", Wipe, DirDown},
    {"CrushVertical", Crush, DirVertical},
    {"CrushHorizontal", Crush, DirHorizontal},
    {"InterleaveHorizontal", Interleave, DirHorizontal},
    {"InterleaveVertical", Interleave, DirVertical},
};

TEST(WipeTest, BandsFollowTheirEdgeIncludingTheOnesThatDrawNothing) {
  // From the bottom the first band lies below the picture and the last starts above it.
  EXPECT_EQ(CopiesOf(Wipe, DirUp, 45, 25, 10),
            "blt 0 25 45 10 0 25\npace\nblt 0 15 45 10 0 15\npace\n"
            "blt 0 5 45 10 0 5\npace\nblt 0 -5 45 10 0 -5\npace\n");
  EXPECT_EQ(CopiesOf(Wipe, DirDown, 45, 25, 10),
            "blt 0 0 45 10 0 0\npace\nblt 0 10 45 10 0 10\npace\nblt 0 20 45 10 0 20\npace\n");
  EXPECT_EQ(CopiesOf(Wipe, DirRight, 25, 3, 10),
            "blt 0 0 10 3 0 0\npace\nblt 10 0 10 3 10 0\npace\nblt 20 0 10 3 20 0\npace\n");
  EXPECT_EQ(CopiesOf(Wipe, DirLeft, 25, 3, 10),
            "blt 20 0 10 3 20 0\npace\nblt 10 0 10 3 10 0\npace\nblt 0 0 10 3 0 0\npace\n");
}

TEST(WipeTest, EveryBandLandsOffsetByTheTarget) {
  trace::EffectTraceOptions options = Options(Wipe, DirLeft, 25, 3, 10);
  options.targetX = -4;
  options.targetY = 2;
  options.windowWidth = 20;
  options.windowHeight = 6;
  const effect_run::Trace run = RunTrace(options);
  EXPECT_EQ(Joined(run),
            "blt 16 2 10 3 20 0\npace\nblt 6 2 10 3 10 0\npace\nblt -4 2 10 3 0 0\npace\n");
  EXPECT_EQ(run.diff, 0);
}

TEST(CrushTest, TheFarSideRunsOneBandBehindAndTheStopRulesDiffer) {
  EXPECT_EQ(CopiesOf(Crush, DirVertical, 40, 30, 10),
            "blt 0 0 10 30 0 0\nblt 40 0 10 30 40 0\npace\n"
            "blt 10 0 10 30 10 0\nblt 30 0 10 30 30 0\npace\n"
            "blt 20 0 10 30 20 0\nblt 20 0 10 30 20 0\npace\n"
            "blt 30 0 10 30 30 0\nblt 10 0 10 30 10 0\npace\n");
  EXPECT_EQ(CopiesOf(Crush, DirHorizontal, 40, 30, 10),
            "blt 0 0 40 10 0 0\nblt 0 30 40 10 0 30\npace\n"
            "blt 0 10 40 10 0 10\nblt 0 20 40 10 0 20\npace\n"
            "blt 0 20 40 10 0 20\nblt 0 10 40 10 0 10\npace\n");
}

TEST(InterleaveTest, TheOddBandsStartAtTheLastOddBandOrJustBeyondIt) {
  // 30 / 10: exact, odd: starts at 30, beyond the picture.
  EXPECT_EQ(CopiesOf(Interleave, DirHorizontal, 40, 30, 10),
            "blt 0 0 40 10 0 0\nblt 0 30 40 10 0 30\npace\n"
            "blt 0 20 40 10 0 20\nblt 0 10 40 10 0 10\npace\n");
  // 45 / 10: not exact, even: starts at 50.
  EXPECT_EQ(CopiesOf(Interleave, DirVertical, 45, 25, 10),
            "blt 0 0 10 25 0 0\nblt 50 0 10 25 50 0\npace\n"
            "blt 20 0 10 25 20 0\nblt 30 0 10 25 30 0\npace\n"
            "blt 40 0 10 25 40 0\nblt 10 0 10 25 10 0\npace\n");
  // 40 / 10: exact, even: the last band, 30.
  EXPECT_EQ(CopiesOf(Interleave, DirVertical, 40, 5, 10),
            "blt 0 0 10 5 0 0\nblt 30 0 10 5 30 0\npace\n"
            "blt 20 0 10 5 20 0\nblt 10 0 10 5 10 0\npace\n");
  // 35 / 10: not exact, odd: the partial last band, 30.
  EXPECT_EQ(CopiesOf(Interleave, DirHorizontal, 5, 35, 10),
            "blt 0 0 5 10 0 0\nblt 0 30 5 10 0 30\npace\n"
            "blt 0 20 5 10 0 20\nblt 0 10 5 10 0 10\npace\n");
}

// The step count each routine must reach whatever the size and grain.
std::optional<int> ExpectedSteps(const effect_run::SweepRun& run, const effect_run::Trace&) {
  const std::string name = run.routine.name;
  if (name == "WipeRight" || name == "WipeLeft") return CeilDiv(run.width, run.grain);
  if (name == "WipeUp") return CeilDiv(run.height, run.grain) + 1;
  if (name == "WipeDown") return CeilDiv(run.height, run.grain);
  if (name == "InterleaveHorizontal") return CeilDiv(run.height, 2 * run.grain);
  if (name == "InterleaveVertical") return CeilDiv(run.width, 2 * run.grain);
  return std::nullopt;  // Crush: its stop rules run a step or two past the middle
}

TEST(BandEffectsTest, EveryRoutineCompletesThePictureAtAnySizeAndGrain) {
  effect_run::ExpectEveryRunFinishesThePicture(
      {.routines = {std::begin(Routines), std::end(Routines)},
       .sizes = {{1, 1}, {2, 3}, {7, 5}, {45, 25}, {40, 30}, {33, 17}, {64, 48}, {9, 31}},
       .grains = {1, 2, 3, 4, 7, 10, 64, 100},
       .paces = ExpectedSteps});
}

TEST(BandEffectsTest, AGrainBeyondThePictureCoversItWithTheFirstVisibleBand) {
  for (const Routine& routine : Routines) {
    for (const int grain : {8, INT_MAX}) {
      SCOPED_TRACE(std::string(routine.name) + " grain " + std::to_string(grain));
      const Stage stage = effect_run::SmallPictureStage(routine.effect, routine.direction, grain);
      const effect_run::Screen screen = RunOnScreen(stage);
      EXPECT_EQ(effect_run::WrongPixels(screen, stage, effect_run::WholePicture), 0);
      // WipeUp and Crush start with a band beyond the picture, so theirs is the second step.
      const bool emptyFirst = std::string(routine.name) == "WipeUp" || routine.effect == Crush;
      EXPECT_EQ(screen.paces, emptyFirst ? 2 : 1);
    }
  }
}

TEST(BandEffectsTest, EachStepBurnsTheEffectsPaceUnits) {
  const struct {
    Routine routine;
    int units;
  } cases[] = {{Routines[0], 50}, {Routines[4], 100}, {Routines[6], 60}};
  for (const auto& c : cases) {
    const Stage stage{.effect = c.routine.effect,
                      .direction = c.routine.direction,
                      .width = 20,
                      .height = 20,
                      .grain = 5,
                      .delayFactor = 3};
    const effect_run::Screen screen = RunOnScreen(stage);
    EXPECT_GT(screen.paces, 1);
    EXPECT_EQ(screen.polls, std::uint64_t(screen.paces) * c.units * (1 + 100 * 3))
        << c.routine.name;
  }
}

TEST(BandEffectsTest, InputStopsTheEffectWithTheBandsOfTheStepsBeforeIt) {
  const effect_run::AbortCase cases[] = {
      {Routines[0], 45, 25, 10, 2, OwnPixelsWhere([](int x, int) { return x < 20; })},
      {Routines[1], 45, 25, 10, 2, OwnPixelsWhere([](int x, int) { return x >= 30; })},
      // The first band of WipeUp draws nothing.
      {Routines[2], 45, 25, 10, 1, NothingShown},
      {Routines[2], 45, 25, 10, 3, OwnPixelsWhere([](int, int y) { return y >= 5; })},
      {Routines[3], 45, 25, 10, 2, OwnPixelsWhere([](int, int y) { return y < 20; })},
      {Routines[4], 40, 30, 10, 2, OwnPixelsWhere([](int x, int) { return x < 20 || x >= 30; })},
      {Routines[5], 40, 30, 10, 1, OwnPixelsWhere([](int, int y) { return y < 10; })},
      {Routines[6], 40, 40, 10, 1, OwnPixelsWhere([](int, int y) { return y < 10 || y >= 30; })},
      {Routines[7], 45, 25, 10, 2,
       OwnPixelsWhere([](int x, int) { return x < 10 || (x >= 20 && x < 40); })},
  };
  // A black border round the picture shows that nothing lands outside it either.
  for (const effect_run::AbortCase& c : cases) effect_run::ExpectInputLeavesBordered(c);
}

}  // namespace
