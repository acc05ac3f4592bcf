// Runs one transition on the headless backend and prints every copy and every pace step.
#pragma once

#include <cstdint>
#include <cstdio>

namespace trace {

struct EffectTraceOptions {
  int effect = 0;
  int direction = 0;
  int width = 1;  // the test picture
  int height = 1;
  int grain = 1;
  int targetX = 0;
  int targetY = 0;
  int windowWidth = 0;  // 0: the picture's size
  int windowHeight = 0;
  int abortAfter = 0;  // the pace step that reports input; 0: none does
  std::uint32_t clock = 0;
  int delayFactor = 5;
};

// The largest test picture: beyond it its pixels could no longer all differ.
inline constexpr std::int64_t MaxPicturePixels = (std::int64_t{1} << 24) - 1;

// The colour of the test picture's pixel number `index` (row after row): never black, and no
// two pixels of one picture alike.
std::uint32_t TestPicturePixel(std::int64_t index);

// Installs the headless backend, draws the transition into a black full-screen window and
// writes to `out` one line per copy ("blt ...", "stretch ...") and per PaceStep ("pace"), then
// "diff N": the pixels of the target rectangle inside the window that do not show the picture.
// The options must already be valid (sizes of at least 1, at most MaxPicturePixels pixels).
void TraceEffect(const EffectTraceOptions& options, std::FILE* out);

}  // namespace trace
