// Clock: a thick hand from the picture's centre sweeps clockwise from twelve o'clock, copying
// the picture along its line at every position.
//
// End points are kept in 64 bits while they advance: the grain is only bounded below, and a
// grain near the largest int would otherwise wrap the end point back onto the picture. Every
// point a hand is drawn to lies on or one pixel past the picture's border, so it fits an int.
#include <cstdlib>

#include "effects/effect_routines.h"
#include "effects/engine.h"
#include "effects/picture_copy.h"

namespace {

using Position = long long;

// The block under one point of the hand: grain wide and twice the grain high, reaching right
// and down from the point.
void Stamp(Position x, Position y, Position grain) {
  const TransitionContextRecord& c = TransitionContext;
  CopyPicture(c.TargetX + x, c.TargetY + y, grain, 2 * grain, x, y);
}

// One position of the hand, from the centre (cx, cy) to (px, py), walked by the integer line
// algorithm: one block per step along the major axis, then the end point's own block. Paced as
// a whole by the caller.
void ClockHand(int cx, int cy, int px, int py, int grain) {
  const Position dx = std::llabs(Position{px} - cx);
  const Position dy = std::llabs(Position{py} - cy);
  const Position stepX = Position{px} - cx < 1 ? -1 : 1;
  const Position stepY = Position{py} - cy < 1 ? -1 : 1;
  // Equal distances are walked along x.
  const bool steep = dy > dx;
  Position x = cx, y = cy;
  Position& along = steep ? y : x;
  Position& across = steep ? x : y;
  const Position major = steep ? dy : dx;
  const Position minor = steep ? dx : dy;
  const Position alongStep = steep ? stepY : stepX;
  const Position acrossStep = steep ? stepX : stepY;
  Position err = 2 * minor - major;
  for (Position k = 0; k < major; ++k) {
    Stamp(x, y, grain);
    if (err >= 0) {
      across += acrossStep;
      err -= 2 * major;
    }
    err += 2 * minor;
    along += alongStep;
  }
  Stamp(px, py, grain);
}

// Draws the hand to (x, y), then its pace step; false when input ends the effect.
bool Hand(Position x, Position y, int grain) {
  const TransitionContextRecord& c = TransitionContext;
  ClockHand(c.TargetWidth / 2, c.TargetHeight / 2, static_cast<int>(x), static_cast<int>(y), grain);
  return PaceStep() == 0;
}

}  // namespace

void Clock(int grain) {
  const Position g = grain;
  const Position width = TransitionContext.TargetWidth;
  const Position height = TransitionContext.TargetHeight;
  const Position cx = width / 2;
  const Position cy = height / 2;
  // The end point runs along x = W and y = H, one pixel past the picture, and along x = 0 and
  // y = 0; at a corner it jumps straight onto the next edge.

  // Twelve to three: the top edge's right half, then the right edge's upper half.
  Position x = cx, y = 0;
  while (y < cy + 1) {
    if (!Hand(x, y, grain)) return;
    x += g;
    if (x >= width) x = width, y += g;
  }
  // Three to six.
  x = width, y = cy;
  while (x > cx - 1) {
    if (!Hand(x, y, grain)) return;
    y += g;
    if (y >= height) y = height, x -= g;
  }
  // Six to nine.
  x = cx, y = height;
  while (y > cy - 1) {
    if (!Hand(x, y, grain)) return;
    x -= g;
    if (x < 1) x = 0, y -= g;
  }
  // Nine back to twelve; the hand stops once at the top-left corner itself.
  x = 0, y = cy;
  bool corner = true;
  do {
    if (!Hand(x, y, grain)) return;
    y -= g;
    if (y < 1) {
      y = 0;
      if (corner) {
        corner = false;
      } else {
        x += g;
      }
    }
  } while (x < cx + 1);
}
