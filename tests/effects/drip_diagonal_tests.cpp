// Drip and Diagonal: their copies and pacing on the worked cases, the finished picture over many
// sizes and grains, and what input leaves on the screen.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/effects/effect_run.h"

namespace {

using effect_run::EachPaced;
using effect_run::EveryCopyPaced;
using effect_run::NothingShown;
using effect_run::Options;
using effect_run::OwnPixelsWhere;
using effect_run::SourcePoint;

constexpr int Diagonal = 3;
constexpr int Drip = 4;
constexpr int Down = 8, Up = 4;
constexpr int DownRight = 10, DownLeft = 9, UpRight = 6, UpLeft = 5;

TEST(DripTest, GrainAtLeastTheHeightMakesThreeCopiesAndThePictureComesWithTheThird) {
  // n = 1, s = H: strip 1 lies below the picture and draws nothing.
  const effect_run::Trace down = effect_run::RunTrace(Options(Drip, Down, 3, 5, 8));
  EXPECT_EQ(down.text,
            EachPaced({"blt 0 0 3 5 0 5", "blt 0 5 3 5 0 5", "blt 0 0 3 5 0 0"}) + "diff 0\n");
  const effect_run::Trace up = effect_run::RunTrace(Options(Drip, Up, 3, 5, 5));
  EXPECT_EQ(up.text,
            EachPaced({"blt 0 5 3 5 0 5", "blt 0 0 3 5 0 5", "blt 0 0 3 5 0 0"}) + "diff 0\n");

  for (const int direction : {Down, Up}) {
    SCOPED_TRACE(direction);
    effect_run::ExpectInputLeaves({{"Drip", Drip, direction}, 3, 5, 8, 2, NothingShown});
  }
}

TEST(DripTest, StripsAreEvenedOutAndTakenFromTheBottomUp) {
  // H = 9, g = 4: three strips of 3 rows, not 4; strip 3 is the silent pause.
  EXPECT_EQ(effect_run::RunTrace(Options(Drip, Down, 2, 9, 4)).text,
            EachPaced({"blt 0 0 2 3 0 9", "blt 0 3 2 3 0 9", "blt 0 6 2 3 0 9", "blt 0 9 2 3 0 9",
                       "blt 0 0 2 3 0 6", "blt 0 3 2 3 0 6", "blt 0 6 2 3 0 6", "blt 0 0 2 3 0 3",
                       "blt 0 3 2 3 0 3", "blt 0 0 2 3 0 0"}) +
                "diff 0\n");
  EXPECT_EQ(effect_run::RunTrace(Options(Drip, Up, 2, 9, 4)).text,
            EachPaced({"blt 0 9 2 3 0 9", "blt 0 6 2 3 0 9", "blt 0 3 2 3 0 9", "blt 0 0 2 3 0 9",
                       "blt 0 6 2 3 0 6", "blt 0 3 2 3 0 6", "blt 0 0 2 3 0 6", "blt 0 3 2 3 0 3",
                       "blt 0 0 2 3 0 3", "blt 0 0 2 3 0 0"}) +
                "diff 0\n");
}

TEST(DripTest, CopyCountGrowsWithTheSquareOfTheStripCount) {
  // (n + 1)(n + 2) / 2 copies, each paced.
  struct Case {
    int height, grain, copies;
  };
  for (const Case& c : {Case{37, 4, 66}, Case{480, 4, 7381}, Case{1, 1, 3}}) {
    for (const int direction : {Down, Up}) {
      SCOPED_TRACE(testing::Message()
                   << "H " << c.height << " g " << c.grain << " dir " << direction);
      const effect_run::Trace traced =
          effect_run::RunTrace(Options(Drip, direction, 2, c.height, c.grain));
      EXPECT_EQ(static_cast<int>(traced.copies.size()), c.copies);
      EXPECT_EQ(traced.paces, c.copies);
      EXPECT_EQ(traced.diff, 0);
    }
  }
}

TEST(DripTest, InputLeavesTheStripInProgressSmearedAcrossItsPlaces) {
  // W 4, H 12, g 4: three strips of 4 rows; pass 3 takes four copies, then strip 2 starts.
  // DripDown after six copies: strip 2 at places 0 and 1, nothing yet at its own place.
  effect_run::ExpectInputLeaves({{"DripDown", Drip, Down}, 4, 12, 4, 6, [](int x, int y) {
                                   return y < 8 ? SourcePoint{{x, 8 + y % 4}} : SourcePoint{};
                                 }});
  // DripUp after six copies: strip 2 at its own place 2 and at place 1.
  effect_run::ExpectInputLeaves({{"DripUp", Drip, Up}, 4, 12, 4, 6, [](int x, int y) {
                                   return y >= 4 ? SourcePoint{{x, 8 + y % 4}} : SourcePoint{};
                                 }});
}

TEST(DiagonalTest, GrowsACornerRectangleInGrainSteps) {
  // W 10, H 7, g 4: ax = 3, ay = 2; the picture at (3, 2) in a larger window, so the source and
  // the destination differ. The last step reaches beyond the picture: negative source for the
  // codes anchored right or bottom.
  struct Case {
    int direction;
    std::vector<std::string> copies;
  };
  const Case cases[] = {
      {DownRight, {"blt 3 2 3 2 0 0", "blt 3 2 6 4 0 0", "blt 3 2 9 6 0 0", "blt 3 2 12 8 0 0"}},
      {DownLeft, {"blt 10 2 3 2 7 0", "blt 7 2 6 4 4 0", "blt 4 2 9 6 1 0", "blt 1 2 12 8 -2 0"}},
      {UpRight, {"blt 3 7 3 2 0 5", "blt 3 5 6 4 0 3", "blt 3 3 9 6 0 1", "blt 3 1 12 8 0 -1"}},
      {UpLeft, {"blt 10 7 3 2 7 5", "blt 7 5 6 4 4 3", "blt 4 3 9 6 1 1", "blt 1 1 12 8 -2 -1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.direction);
    trace::EffectTraceOptions options = Options(Diagonal, c.direction, 10, 7, 4);
    options.targetX = 3;
    options.targetY = 2;
    options.windowWidth = 16;
    options.windowHeight = 11;
    EXPECT_EQ(effect_run::RunTrace(options).text, EachPaced(c.copies) + "diff 0\n");
  }
}

TEST(DiagonalTest, AGrainBeyondThePictureStillCopiesAndPacesEveryStep) {
  // g 9 on a 3 x 2 picture: one pixel a step each way, complete after 3 steps, 9 steps made.
  for (const int direction : {DownRight, DownLeft, UpRight, UpLeft}) {
    SCOPED_TRACE(direction);
    const effect_run::Trace traced = effect_run::RunTrace(Options(Diagonal, direction, 3, 2, 9));
    EXPECT_EQ(traced.paces, 9);
    EXPECT_EQ(traced.copies.size(), 9U);
    EXPECT_EQ(traced.diff, 0);
  }
  EXPECT_EQ(effect_run::RunTrace(Options(Diagonal, UpLeft, 3, 2, 9)).copies.back(),
            "blt -6 -7 9 9 -6 -7");
}

TEST(DiagonalTest, InputAfterTheFirstStepLeavesOnlyTheStartingCorner) {
  // ax = 3, ay = 2 as above.
  effect_run::ExpectInputLeaves(
      {{"DiagonalUpLeft", Diagonal, UpLeft}, 10, 7, 4, 1, OwnPixelsWhere([](int x, int y) {
         return x >= 7 && y >= 5;
       })});
  // Two steps of the top-left one, the picture centred in a larger window.
  effect_run::ExpectInputLeaves(
      {{"DiagonalDownRight", Diagonal, DownRight}, 10, 7, 4, 2, OwnPixelsWhere([](int x, int y) {
         return x < 6 && y < 4;
       })},
      {3, 2, 16, 11});
}

TEST(DripDiagonalTest, EachCopyIsPacedWithTheEffectsOwnUnits) {
  // DelayFactor 1: units x 101 polls a step; Drip has 50 units, Diagonal 120.
  trace::EffectTraceOptions drip = Options(Drip, Down, 4, 9, 4);
  drip.delayFactor = 1;
  const effect_run::Trace dripTraced = effect_run::RunTrace(drip);
  EXPECT_EQ(dripTraced.polls, 10U * 50 * 101);

  trace::EffectTraceOptions diagonal = Options(Diagonal, DownLeft, 4, 9, 3);
  diagonal.delayFactor = 1;
  EXPECT_EQ(effect_run::RunTrace(diagonal).polls, 3U * 120 * 101);
}

TEST(DripDiagonalTest, EveryRoutineFinishesThePictureAtAnySizeAndGrain) {
  effect_run::ExpectEveryRunFinishesThePicture(
      {.routines = {{"DripDown", Drip, Down},
                    {"DripUp", Drip, Up},
                    {"DiagonalDownRight", Diagonal, DownRight},
                    {"DiagonalDownLeft", Diagonal, DownLeft},
                    {"DiagonalUpRight", Diagonal, UpRight},
                    {"DiagonalUpLeft", Diagonal, UpLeft}},
       .sizes = {{1, 1}, {1, 7}, {7, 1}, {13, 9}, {9, 13}, {37, 29}, {64, 48}},
       .grains = {1, 2, 3, 4, 5, 7, 10, 50, 100},
       .paces = EveryCopyPaced});
}

}  // namespace
