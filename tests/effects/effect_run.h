// Running real effect routines for tests, two ways: through the tracer (its printed copies and
// pace steps) and on a kept window whose pixels the test then reads. Also the checks every group
// of routines shares: the finished picture over many sizes and grains, and what input leaves.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/tavrin-trace/effect_trace.h"

namespace effect_run {

// What the tracer printed for one transition, taken apart.
struct Trace {
  std::string text;                 // every line, as `tavrin-trace effect` prints it
  std::vector<std::string> lines;   // every line but the last ("diff N")
  std::vector<std::string> copies;  // the "blt"/"stretch" lines alone
  int paces = 0;
  long long diff = -1;      // target pixels inside the window that do not show the picture
  std::uint64_t polls = 0;  // input polls the whole transition made
};
Trace RunTrace(const trace::EffectTraceOptions& options);
// The lines of a run on a picture of its own size, which must end showing the whole picture.
std::string CopiesOf(int effect, int direction, int width, int height, int grain);
// The lines but "diff", as one text, for comparing with a worked example.
std::string Joined(const Trace& run);
// The copies of each paced step, in order; nothing follows the last pace step.
std::vector<std::vector<std::string>> CopiesByStep(const Trace& run);
// Lines as one text, each ending in a newline.
std::string Lines(const std::vector<std::string>& lines);
// The tracer's text for copies that are each followed by one pace step.
std::string EachPaced(const std::vector<std::string>& copies);
// The tracer's text for one step of several copies, then its pace step.
inline std::string Step(const std::vector<std::string>& copies) {
  return Lines(copies) + "pace\n";
}
// One copy line as the tracer prints it, newline included.
std::string Blt(int x, int y, int width, int height, int sourceX, int sourceY);

// A tracer run of one effect on a picture of its own size, at the cheapest pace (pace counts are
// checked on their own, with a delay factor of their own).
inline trace::EffectTraceOptions Options(int effect, int direction, int width, int height,
                                         int grain) {
  trace::EffectTraceOptions options;
  options.effect = effect;
  options.direction = direction;
  options.width = width;
  options.height = height;
  options.grain = grain;
  options.delayFactor = 0;
  return options;
}

// Where and how one transition runs on a kept window.
struct Stage {
  int effect = 0;
  int direction = 0;
  int width = 1;
  int height = 1;
  int grain = 1;
  int targetX = 0;
  int targetY = 0;
  int windowWidth = 0;  // 0: the picture's size
  int windowHeight = 0;
  int abortAfter = 0;  // the pace step whose first poll sees a key; 0: none
  std::uint32_t clock = 0;
  int delayFactor = 0;
};

// What the window shows afterwards, and what the run cost.
struct Screen {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // row after row
  int paces = 0;
  std::uint64_t polls = 0;
  bool objectsLeft = false;  // a DC or bitmap the routine did not give back
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
// The picture's pixel (x, y) is y * width + x + 1, so never black.
Screen RunOnScreen(const Stage& stage);
inline std::uint32_t PicturePixel(const Stage& stage, int x, int y) {
  return static_cast<std::uint32_t>(y * stage.width + x + 1);
}
// A 7 x 5 picture at (3, 2) of a 12 x 9 window: the stage for grains beyond the picture.
inline Stage SmallPictureStage(int effect, int direction, int grain) {
  return {.effect = effect,
          .direction = direction,
          .width = 7,
          .height = 5,
          .grain = grain,
          .targetX = 3,
          .targetY = 2,
          .windowWidth = 12,
          .windowHeight = 9};
}
// The window pixels that differ from `expected` (0 standing for black).
int WrongPixels(const Screen& screen, const std::function<std::uint32_t(int x, int y)>& expected);

// The same run in a window a little larger than the picture, off centre; in one a few pixels
// smaller, centred, so that the targets are negative and every edge cuts it; and in one half the
// picture's size, so that even the smallest pictures are cut. Setup is trace::EffectTraceOptions
// or Stage, which name the same fields.
template <class Setup>
std::vector<Setup> InsideAndCut(Setup inside) {
  inside.windowWidth = inside.width + 9;
  inside.windowHeight = inside.height + 4;
  inside.targetX = 4;
  inside.targetY = 2;
  Setup cut = inside;
  cut.windowWidth = inside.width > 6 ? inside.width - 5 : inside.width;
  cut.windowHeight = inside.height > 4 ? inside.height - 3 : inside.height;
  Setup half = inside;
  half.windowWidth = (inside.width + 1) / 2;
  half.windowHeight = (inside.height + 1) / 2;
  for (Setup* setup : {&cut, &half}) {
    setup->targetX = (setup->windowWidth - inside.width) / 2;
    setup->targetY = (setup->windowHeight - inside.height) / 2;
  }
  return {inside, cut, half};
}

// One routine: an effect number and one of its directions.
struct Routine {
  const char* name;
  int effect;
  int direction;
};

// One run of a sweep.
struct SweepRun {
  Routine routine;
  int width, height, grain;
};
struct Sweep {
  std::vector<Routine> routines = {};
  std::vector<std::pair<int, int>> sizes = {};  // width, height
  std::vector<int> grains = {};
  // The pace steps the run must have made; nullopt or empty: any number.
  std::function<std::optional<int>(const SweepRun&, const Trace&)> paces = {};
  // The virtual clock the run starts at (the random effects seed from it); empty: 0.
  std::function<std::uint32_t(const SweepRun&)> clock = {};
};
// Every routine at every size and grain, in each InsideAndCut window, ends with the whole picture
// on the window, its last line a pace step and, where the sweep says, the right number of pace
// steps. Reports the first run that fails and stops there.
void ExpectEveryRunFinishesThePicture(const Sweep& sweep);
// Sweep::paces for the routines that pace after every copy.
inline std::optional<int> EveryCopyPaced(const SweepRun& /*run*/, const Trace& traced) {
  return static_cast<int>(traced.copies.size());
}

// A picture pixel (x, y), or nullopt for black.
using SourcePoint = std::optional<std::pair<int, int>>;
// Which picture pixel a pixel (x, y) of the picture's place shows.
using Shown = std::function<SourcePoint(int x, int y)>;
// The window pixels that differ from what `shown` says of the stage's picture's place; the window
// round it must be black.
int WrongPixels(const Screen& screen, const Stage& stage, const Shown& shown);
// Black everywhere: the input came before anything visible was drawn.
inline const Shown NothingShown = [](int, int) { return SourcePoint{}; };
// A shown picture pixel that is its own, or black.
inline Shown OwnPixelsWhere(std::function<bool(int x, int y)> drawn) {
  return [drawn = std::move(drawn)](int x, int y) {
    return drawn(x, y) ? SourcePoint{{x, y}} : SourcePoint{};
  };
}
// The whole picture at its place.
inline const Shown WholePicture = [](int x, int y) { return SourcePoint{{x, y}}; };

// Runs the stage with a key arriving at the first poll of pace step stage.abortAfter and checks
// that the routine stopped at that step and gave back every DC and bitmap; that the picture's
// place shows what `shown` says and the window round it stays black; and that the tracer, stopped
// at the same step, copies nothing after that step's pace. Returns the window, for further checks.
Screen ExpectInputLeaves(const Stage& stage, const Shown& shown);
// One routine stopped by input, and what its picture's place then shows.
struct AbortCase {
  Routine routine;
  int width, height, grain, abortAfter;
  Shown shown;
};
// Where the picture lies in the window; a size of 0 is the picture's.
struct Placement {
  int targetX = 0;
  int targetY = 0;
  int windowWidth = 0;
  int windowHeight = 0;
};
// ExpectInputLeaves for the case at that place, or with a black border round the picture.
void ExpectInputLeaves(const AbortCase& c, const Placement& where = {});
void ExpectInputLeavesBordered(const AbortCase& c);

// The generator every random choice uses, written out independently of the program's own.
class ReferenceRandom {
 public:
  explicit ReferenceRandom(std::uint32_t seed) : state_(seed) {}
  int Next() {
    state_ = state_ * 214013U + 2531011U;
    return static_cast<int>((state_ >> 16) & 0x7FFFU);
  }

 private:
  std::uint32_t state_;
};

}  // namespace effect_run
