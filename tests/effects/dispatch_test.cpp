// RunTransition: which routine each effect and direction code reaches, with what, and what
// "Normal", foreign codes and foreign effects draw.
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "effects/pace_observer.h"
#include "tests/effects/effects_test_support.h"

namespace {

struct ExpectedEffect {
  const char* name;
  int directionClass;
  int paceUnits;
  std::vector<std::pair<int, std::string>> routes;  // code -> routine
  std::string anyCode;                              // the routine whatever the code
};

const std::vector<ExpectedEffect>& Expected() {
  static const std::vector<ExpectedEffect> rows = {
      {"Normal", 0, 0, {}, ""},
      {"Blind", 4, 100, {{1, "BlindHorizontal"}, {2, "BlindVertical"}}, ""},
      {"Crush", 4, 100, {{2, "CrushVertical"}, {1, "CrushHorizontal"}}, ""},
      {"Diagonal",
       3,
       120,
       {{10, "DiagonalDownRight"},
        {9, "DiagonalDownLeft"},
        {6, "DiagonalUpRight"},
        {5, "DiagonalUpLeft"}},
       ""},
      {"Drip", 1, 50, {{8, "DripDown"}, {4, "DripUp"}}, ""},
      {"Explode", 5, 100, {{2, "ExplodeIn"}, {1, "ExplodeOut"}}, ""},
      {"Random blocks", 0, 1, {}, "RandomBlocks"},
      {"Slide",
       2,
       100,
       {{2, "SlideRight"}, {1, "SlideLeft"}, {8, "SlideDown"}, {4, "SlideUp"}},
       ""},
      {"Spiral", 5, 20, {{2, "SpiralIn"}, {1, "SpiralOut"}}, ""},
      {"Split", 4, 50, {{2, "SplitVertical"}, {1, "SplitHorizontal"}}, ""},
      {"Weave", 4, 10, {{2, "WeaveVertical"}, {1, "WeaveHorizontal"}}, ""},
      {"Wipe", 2, 50, {{2, "WipeRight"}, {1, "WipeLeft"}, {4, "WipeUp"}, {8, "WipeDown"}}, ""},
      {"Snake", 2, 50, {{2, "SnakeRight"}, {1, "SnakeLeft"}, {4, "SnakeUp"}, {8, "SnakeDown"}}, ""},
      {"SlideWeave", 4, 150, {{2, "SlideWeaveVertical"}, {1, "SlideWeaveHorizontal"}}, ""},
      {"Interleave", 4, 60, {{1, "InterleaveHorizontal"}, {2, "InterleaveVertical"}}, ""},
      {"Stretch",
       2,
       100,
       {{2, "StretchRight"}, {1, "StretchLeft"}, {4, "StretchUp"}, {8, "StretchDown"}},
       ""},
      {"Scramble", 0, 2, {}, "Scramble"},
      {"Clock", 0, 50, {}, "Clock"},
      {"Checkerboard", 1, 100, {{4, "CheckerboardUp"}, {8, "CheckerboardDown"}}, ""},
      {"Quad Slide", 5, 100, {{2, "QuadSlideIn"}, {1, "QuadSlideOut"}}, ""},
  };
  return rows;
}

// Every code a setting could plausibly hold, valid for some effect or for none.
const std::vector<int> kCodes = {INT_MIN, -8, -1, 0,  1,  2,  3,  4,  5,      6,
                                 7,       8,  9,  10, 11, 12, 15, 16, INT_MAX};

constexpr int kUntouched = -12345;

class DispatchTest : public EngineTest {
 protected:
  void Run(int effect, int code) {
    recording::Reset();
    copies_.clear();
    TransitionContext.Effect = effect;
    TransitionContext.EffectDir = code;
    TransitionContext.PaceUnits = kUntouched;
    RunTransition();
  }
};

int PaceSteps = 0;
void CountPaceStep() {
  ++PaceSteps;
}

TEST_F(DispatchTest, TableRowsAreInIndexOrderWithTheirNamesAndClasses) {
  ASSERT_EQ(EffectCount, 20);
  for (int effect = 0; effect < EffectCount; ++effect) {
    SCOPED_TRACE(effect);
    EXPECT_EQ(EffectTable[effect].Index, effect);
    EXPECT_STREQ(EffectTable[effect].Name, Expected()[effect].name);
    EXPECT_EQ(EffectTable[effect].DirectionClass, Expected()[effect].directionClass);
  }
}

TEST_F(DispatchTest, EveryCodeOfEveryEffectReachesItsRoutineWithTheGrainAndPace) {
  PreparePicture(3, 2, 10, 6);
  TransitionContext.GrainSize = 7;
  for (int effect = 1; effect < EffectCount; ++effect) {
    const ExpectedEffect& expected = Expected()[effect];
    for (const int code : kCodes) {
      SCOPED_TRACE(std::string(expected.name) + " code " + std::to_string(code));
      Run(effect, code);
      std::string routine = expected.anyCode;
      for (const auto& [routeCode, routeRoutine] : expected.routes) {
        if (routeCode == code) routine = routeRoutine;
      }
      // PaceUnits is set even when no routine runs.
      EXPECT_EQ(TransitionContext.PaceUnits, expected.paceUnits);
      EXPECT_TRUE(copies_.empty()) << "the engine itself draws nothing for an effect";
      if (routine.empty()) {
        EXPECT_TRUE(recording::Calls().empty()) << "a foreign code calls nothing";
        continue;
      }
      ASSERT_EQ(recording::Calls().size(), 1U);
      const recording::RoutineCall& call = recording::Calls()[0];
      EXPECT_EQ(call.name, routine);
      EXPECT_EQ(call.grain, 7);
      EXPECT_EQ(call.paceUnits, expected.paceUnits) << "set before the routine runs";
      const bool weave = routine.find("Weave") != std::string::npos;
      EXPECT_EQ(call.grainAgain, weave ? std::optional<int>(7) : std::nullopt);
    }
  }
}

TEST_F(DispatchTest, NormalIsOneStraightCopyWhateverTheCodeAndLeavesThePaceAlone) {
  PaceObserver = CountPaceStep;
  for (const int code : kCodes) {
    SCOPED_TRACE(code);
    PreparePicture(-2, 5, 20, 50);  // cut at the window's left and bottom edges
    PaceSteps = 0;
    Run(0, code);
    ASSERT_EQ(copies_.size(), 1U);
    const platform::gdi::CopyCall& copy = copies_[0];
    EXPECT_FALSE(copy.stretch);
    EXPECT_EQ(copy.dest, TransitionContext.DestDC);
    EXPECT_EQ(copy.source, TransitionContext.SourceDC);
    EXPECT_EQ(
        (std::vector<int>{copy.x, copy.y, copy.width, copy.height, copy.sourceX, copy.sourceY}),
        (std::vector<int>{-2, 5, 20, 50, 0, 0}));
    EXPECT_EQ(TransitionContext.PaceUnits, kUntouched);
    EXPECT_EQ(PaceSteps, 0);
    EXPECT_TRUE(recording::Calls().empty());
    // The whole visible part of the picture is on screen.
    EXPECT_EQ(headless::WindowPixel(window_, 0, 5), 3U);
    EXPECT_EQ(headless::WindowPixel(window_, 17, ScreenHeight - 1), (ScreenHeight - 6) * 20 + 20U);
    EXPECT_EQ(headless::WindowPixel(window_, 18, 5), 0U);
    EXPECT_EQ(headless::WindowPixel(window_, 0, 4), 0U);
    picture_.reset();
    ReleaseDC(window_, TransitionContext.DestDC);
    TransitionContext.DestDC = nullptr;
  }
  PaceObserver = nullptr;
}

TEST_F(DispatchTest, AnEffectOutsideTheTableDoesNothingAtAll) {
  PreparePicture(0, 0, 8, 8);
  for (const int effect : {-1, 20, 21, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(effect);
    Run(effect, 2);
    EXPECT_TRUE(copies_.empty());
    EXPECT_TRUE(recording::Calls().empty());
    EXPECT_EQ(TransitionContext.PaceUnits, kUntouched);
  }
}

TEST(CeilDivTest, RoundsUpWhateverDoesNotDivideExactly) {
  EXPECT_EQ(CeilDiv(10, 4), 3);
  EXPECT_EQ(CeilDiv(8, 4), 2);
  EXPECT_EQ(CeilDiv(1, 4), 1);
  EXPECT_EQ(CeilDiv(0, 4), 0);
  EXPECT_EQ(CeilDiv(7, 1), 7);
  EXPECT_EQ(CeilDiv(INT_MAX, 2), 1073741824);
  EXPECT_EQ(CeilDiv(INT_MAX, INT_MAX), 1);
  // Truncation toward zero first, then plus one: a negative remainder rounds toward zero.
  EXPECT_EQ(CeilDiv(-5, 4), 0);
  EXPECT_EQ(CeilDiv(-8, 4), -2);
}

}  // namespace
