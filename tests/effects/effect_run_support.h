// Running real effect routines for tests: as the tracer prints them, and on a window whose
// pixels the test then reads.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tools/tavrin-trace/effect_trace.h"

namespace effect_run {

// What the tracer printed for one transition, taken apart.
struct Traced {
  std::string text;                 // every line, as `tavrin-trace effect` prints it
  std::vector<std::string> copies;  // the "blt"/"stretch" lines alone
  int paceSteps = 0;
  long long diff = -1;      // target pixels inside the window that do not show the picture
  std::uint64_t polls = 0;  // input polls the whole transition made
};
Traced Trace(const trace::EffectTraceOptions& options);

// The tracer's lines for copies that are each followed by one pace step.
std::string EachPaced(const std::vector<std::string>& copies);

// A picture pixel (x, y) of the picture, or nullopt for black.
using SourcePoint = std::optional<std::pair<int, int>>;

// Runs `effect` in `direction` on a headless full-screen window of windowWidth x windowHeight
// filled with black, the picture at (targetX, targetY), with input arriving at pace step
// `abortAfter`; then checks every window pixel against `expected`, which says which picture
// pixel (or black) it must show. Also checks that no DC or bitmap is left behind.
struct AbortRun {
  int effect = 0;
  int direction = 0;
  int width = 1;
  int height = 1;
  int grain = 1;
  int abortAfter = 1;
  int targetX = 0;
  int targetY = 0;
  int windowWidth = 0;  // 0: the picture's size
  int windowHeight = 0;
};
// Returns the pace steps made; failures are reported through GoogleTest.
int RunAndCheckScreen(const AbortRun& run,
                      const std::function<SourcePoint(int x, int y)>& expected);

}  // namespace effect_run
