// ChooseRandomDirection: the codes it picks for each effect, from a generator it reseeds with
// the clock.
#include <map>
#include <set>
#include <vector>

#include "settings/random.h"
#include "tests/effects/effects_test_support.h"

namespace {

// The codes picked for r mod 2 or r mod 4, per effect; empty: EffectDir is kept.
std::vector<int> CodesByDraw(int effect) {
  switch (effect) {
    case 3:
      return {10, 9, 6, 5};
    case 4:
    case 18:
      return {8, 4};
    case 7:
    case 11:
    case 12:
    case 15:
      return {2, 1, 4, 8};
    case 0:
    case 6:
    case 16:
    case 17:
      return {};
    default:
      return {1, 2};
  }
}

// The first number the shared generator gives after the seed a choice made now would use.
int FirstDrawNow() {
  SeedRandom(GetTickCount() & 0xFFFF);
  return NextRandom();
}

class RandomDirectionTest : public EngineTest {};

TEST_F(RandomDirectionTest, PicksTheCodeOfTheFirstDrawFromTheClockSeed) {
  for (int effect = 0; effect < EffectCount; ++effect) {
    SCOPED_TRACE(EffectTable[effect].Name);
    const std::vector<int> codes = CodesByDraw(effect);
    std::set<int> picked;
    for (int tick = 0; tick < 40; ++tick) {
      headless::AdvanceClock(1);
      TransitionContext.Effect = effect;
      TransitionContext.EffectDir = 3;  // a code no effect has
      const int draw = FirstDrawNow();
      SeedRandom(12345);  // whatever the generator held before must not matter
      ChooseRandomDirection();
      if (codes.empty()) {
        EXPECT_EQ(TransitionContext.EffectDir, 3);
        continue;
      }
      const int expected = codes[draw % static_cast<int>(codes.size())];
      EXPECT_EQ(TransitionContext.EffectDir, expected);
      picked.insert(TransitionContext.EffectDir);

      // The code picked always reaches a routine.
      recording::Reset();
      TransitionContext.PaceUnits = 0;
      RunTransition();
      EXPECT_EQ(recording::Calls().size(), 1U);
    }
    EXPECT_EQ(picked, std::set<int>(codes.begin(), codes.end())) << "every code turns up";
  }
}

TEST_F(RandomDirectionTest, RepeatsTheSlideShowsDrawWithinOneTickAndSeedsFromTheLow16Bits) {
  headless::AdvanceClock(0x10000 + 7);
  SeedRandom(7);
  const int first = NextRandom();
  const int second = NextRandom();

  // The slide show seeds and draws the effect; the direction's draw is that same number.
  TransitionContext.Effect = 11;
  SeedRandom(GetTickCount() & 0xFFFF);
  EXPECT_EQ(NextRandom(), first);
  ChooseRandomDirection();
  EXPECT_EQ(TransitionContext.EffectDir, (std::vector<int>{2, 1, 4, 8}[first % 4]));
  EXPECT_EQ(NextRandom(), second) << "one draw made";

  // Effects without directions draw nothing, yet the generator is reseeded.
  for (const int effect : {0, 6, 16, 17}) {
    TransitionContext.Effect = effect;
    TransitionContext.EffectDir = 8;
    SeedRandom(999);
    ChooseRandomDirection();
    EXPECT_EQ(TransitionContext.EffectDir, 8);
    EXPECT_EQ(NextRandom(), first);
  }
}

}  // namespace
