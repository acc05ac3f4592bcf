// Frame lines in a picture of a dialog: whether a group box's frame is drawn where its
// rectangle says, found from the pixels alone (a screenshot, or a widget's picture).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace tavrin_test {

// 0x00RRGGBB pixels (higher bits ignored), row after row.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const;  // 0 outside the picture
};

// A rectangle of a picture; right and bottom are one past the last pixel.
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The dark lines (a frame's shadow, clearly darker than the `face` it is drawn on) nearest to
// each side of `place`, looked for from outside inwards within `reach` pixels of the side; the
// top one from the place's top to `titleHeight` below it, where a group box's title is. A line
// runs along most of that side (below the title, for the left and right ones).
struct FrameEdges {
  std::optional<int> left;
  std::optional<int> top;
  std::optional<int> right;
  std::optional<int> bottom;
};
FrameEdges FindFrameEdges(const Picture& picture, const Box& place, int titleHeight,
                          std::uint32_t face, int reach);

// Success when a group box's frame is at `place`: its left, right and bottom lines within
// `tolerance` pixels of the place's outermost pixels, its top line among the title's rows,
// and some of the title's pixels above that line and some below it (the title sits on it).
::testing::AssertionResult GroupFrameAt(const Picture& picture, const Box& place, int titleHeight,
                                        std::uint32_t face, int tolerance);

}  // namespace tavrin_test
