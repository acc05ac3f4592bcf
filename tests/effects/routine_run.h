// Running one real effect routine on the headless backend, two ways: through the tracer (its
// printed copies and pace steps) and on a kept window whose pixels can be read afterwards.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/tavrin-trace/effect_trace.h"

namespace routine_run {

// The tracer's output, split up.
struct Trace {
  std::vector<std::string> lines;  // every line but the last ("diff N")
  int paces = 0;
  long long diff = -1;
};
Trace RunTrace(const trace::EffectTraceOptions& options);
// The lines as one text, for comparing with a worked example.
std::string Joined(const Trace& run);

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
  int delayFactor = 1;
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

// A tracer run of one effect on a picture of its own size, at the cheapest pace.
inline trace::EffectTraceOptions Options(int effect, int direction, int width, int height,
                                         int grain) {
  trace::EffectTraceOptions options;
  options.effect = effect;
  options.direction = direction;
  options.width = width;
  options.height = height;
  options.grain = grain;
  options.delayFactor = 1;
  return options;
}

// One copy line as the tracer prints it, newline included.
inline std::string Blt(int x, int y, int width, int height, int sourceX, int sourceY) {
  char line[96];
  std::snprintf(line, sizeof line, "blt %d %d %d %d %d %d\n", x, y, width, height, sourceX,
                sourceY);
  return line;
}

// The same run twice: in a window a little larger than the picture, off centre, and in one
// smaller than the picture, centred, so that the targets are negative and every edge cuts it.
// Setup is trace::EffectTraceOptions or Stage, which name the same fields.
template <class Setup>
std::vector<Setup> InsideAndCut(Setup inside) {
  inside.windowWidth = inside.width + 9;
  inside.windowHeight = inside.height + 4;
  inside.targetX = 4;
  inside.targetY = 2;
  Setup cut = inside;
  cut.windowWidth = inside.width > 6 ? inside.width - 5 : inside.width;
  cut.windowHeight = inside.height > 4 ? inside.height - 3 : inside.height;
  cut.targetX = (cut.windowWidth - inside.width) / 2;
  cut.targetY = (cut.windowHeight - inside.height) / 2;
  return {inside, cut};
}

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

}  // namespace routine_run
