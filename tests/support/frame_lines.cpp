#include "tests/support/frame_lines.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace tavrin_test {
namespace {

constexpr int kClearlyDarker = 40;  // of 255, in luminance
constexpr double kMostOfASide = 0.6;

int Luminance(std::uint32_t pixel) {
  const int red = static_cast<int>((pixel >> 16) & 0xFF);
  const int green = static_cast<int>((pixel >> 8) & 0xFF);
  const int blue = static_cast<int>(pixel & 0xFF);
  return (red * 299 + green * 587 + blue * 114) / 1000;
}

bool Dark(std::uint32_t pixel, std::uint32_t face) {
  return Luminance(pixel) + kClearlyDarker <= Luminance(face);
}

enum class Axis { Row, Column };

// Whether most pixels of row (or column) `at`, from `first` to `last`, are dark.
bool DarkLine(const Picture& picture, Axis axis, int at, int first, int last, std::uint32_t face) {
  if (last < first) return false;
  int dark = 0;
  for (int along = first; along <= last; ++along) {
    const std::uint32_t pixel = axis == Axis::Row ? picture.At(along, at) : picture.At(at, along);
    if (Dark(pixel, face)) ++dark;
  }
  return dark >= kMostOfASide * (last - first + 1);
}

// The first dark line from `from` to `to` (either way, both included).
std::optional<int> FirstDarkLine(const Picture& picture, Axis axis, int from, int to, int first,
                                 int last, std::uint32_t face) {
  const int step = from <= to ? 1 : -1;
  for (int at = from;; at += step) {
    if (DarkLine(picture, axis, at, first, last, face)) return at;
    if (at == to) return std::nullopt;
  }
}

std::string Shown(const std::optional<int>& line) {
  return line ? std::to_string(*line) : std::string("none");
}

}  // namespace

std::uint32_t Picture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x)];
}

FrameEdges FindFrameEdges(const Picture& picture, const Box& place, int titleHeight,
                          std::uint32_t face, int reach) {
  const int lastX = place.right - 1;
  const int lastY = place.bottom - 1;
  const int belowTitle = place.top + titleHeight;
  FrameEdges edges;
  edges.left = FirstDarkLine(picture, Axis::Column, place.left - reach, place.left + reach,
                             belowTitle, lastY - reach, face);
  edges.right = FirstDarkLine(picture, Axis::Column, lastX + reach, lastX - reach, belowTitle,
                              lastY - reach, face);
  edges.bottom = FirstDarkLine(picture, Axis::Row, lastY + reach, lastY - reach, place.left + reach,
                               lastX - reach, face);
  edges.top = FirstDarkLine(picture, Axis::Row, place.top, belowTitle - 1, place.left + reach,
                            lastX - reach, face);
  return edges;
}

::testing::AssertionResult GroupFrameAt(const Picture& picture, const Box& place, int titleHeight,
                                        std::uint32_t face, int tolerance) {
  const FrameEdges edges = FindFrameEdges(picture, place, titleHeight, face, tolerance + 2);
  auto near = [tolerance](const std::optional<int>& line, int expected) {
    return line && std::abs(*line - expected) <= tolerance;
  };
  const bool topOnTitle = edges.top.has_value();
  bool titleAbove = false;
  bool titleBelow = false;
  if (topOnTitle) {
    // The title starts near the left edge: its first characters, clear of the frame's lines
    // (which are thicker when the picture is scaled).
    const int titleFirst = place.left + tolerance + 2;
    const int titleLast = std::min(place.left + 4 * titleHeight, place.right - 1);
    for (int y = place.top; y < place.top + titleHeight; ++y) {
      if (std::abs(y - *edges.top) <= tolerance) continue;
      for (int x = titleFirst; x <= titleLast; ++x) {
        if (Dark(picture.At(x, y), face)) (y < *edges.top ? titleAbove : titleBelow) = true;
      }
    }
  }
  if (near(edges.left, place.left) && near(edges.right, place.right - 1) &&
      near(edges.bottom, place.bottom - 1) && topOnTitle && titleAbove && titleBelow) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "frame expected at left " << place.left << ", top " << place.top << ", right "
         << place.right - 1 << ", bottom " << place.bottom - 1 << " (title " << titleHeight
         << " high); found left " << Shown(edges.left) << ", top " << Shown(edges.top) << ", right "
         << Shown(edges.right) << ", bottom " << Shown(edges.bottom)
         << (titleAbove && titleBelow ? "" : "; the title is not on the top line");
}

}  // namespace tavrin_test
