#include "effects/engine.h"
#include "settings/random.h"

namespace {

// The codes a random draw picks from, in the order r mod count selects them.
struct DirectionChoice {
  int Count;
  int Codes[4];
};

constexpr DirectionChoice TwoWay = {2, {DirLeft, DirRight}};
constexpr DirectionChoice Diagonals = {
    4, {DirRight | DirDown, DirLeft | DirDown, DirRight | DirUp, DirLeft | DirUp}};
constexpr DirectionChoice DownUp = {2, {DirDown, DirUp}};
constexpr DirectionChoice FourWays = {4, {DirRight, DirLeft, DirUp, DirDown}};
// Effects without directions keep whatever EffectDir holds.
constexpr DirectionChoice Keep = {0, {}};

constexpr DirectionChoice RandomChoices[EffectCount] = {
    Keep,       // Normal
    TwoWay,     // Blind
    TwoWay,     // Crush
    Diagonals,  // Diagonal
    DownUp,     // Drip
    TwoWay,     // Explode
    Keep,       // Random blocks
    FourWays,   // Slide
    TwoWay,     // Spiral
    TwoWay,     // Split
    TwoWay,     // Weave
    FourWays,   // Wipe
    FourWays,   // Snake
    TwoWay,     // SlideWeave
    TwoWay,     // Interleave
    FourWays,   // Stretch
    Keep,       // Scramble
    Keep,       // Clock
    DownUp,     // Checkerboard
    TwoWay,     // Quad Slide
};

}  // namespace

void ChooseRandomDirection() {
  // Reseeded here even when the effect has no directions: later draws depend on it.
  SeedRandom(GetTickCount() & 0xFFFF);
  const auto effect = static_cast<unsigned int>(TransitionContext.Effect);
  if (effect >= static_cast<unsigned int>(EffectCount)) return;
  const DirectionChoice& choice = RandomChoices[effect];
  if (choice.Count == 0) return;
  TransitionContext.EffectDir = choice.Codes[NextRandom() % choice.Count];
}
