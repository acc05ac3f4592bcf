// Blind, Split and Checkerboard: pieces of the picture copied onto their own place, so nothing
// moves; only the order of the pieces makes the effect.
//
// Positions are kept in 64 bits: the grain is only bounded below, and a hand-edited grain near
// the largest int would otherwise wrap a piece lying far beyond the picture back onto it.
#include <algorithm>

#include "effects/effect_routines.h"
#include "effects/engine.h"
#include "effects/picture_copy.h"

namespace {

using Position = long long;

// The picture's block at (x, y), onto its own place in the target.
void Piece(Position x, Position y, Position width, Position height) {
  CopyPicture(TransitionContext.TargetX + x, TransitionContext.TargetY + y, width, height, x, y);
}

// More slats than this cannot come from any real setting (a picture is at most 32,768 pixels a
// side); see Blind.
constexpr int kMostSlatsIssued = 65536;

// Every slat opens by one row (column) per step; there are as many slats as the grain says, and
// those starting past the picture show nothing. Only a grain beyond kMostSlatsIssued (a
// hand-edited value) leaves those empty slats out, so that it cannot mean billions of copies, and
// minutes without an input poll, in one step.
void Blind(int grain, bool rows) {
  const int extent = rows ? TransitionContext.TargetHeight : TransitionContext.TargetWidth;
  const int slatLength = CeilDiv(extent, grain);
  if (slatLength <= 0) return;
  const int slats = grain > kMostSlatsIssued && grain > extent ? extent : grain;
  for (int i = 0; i < slatLength; ++i) {
    for (int k = 0; k < slats; ++k) {
      const Position start = Position{k} * slatLength;
      if (rows) {
        Piece(0, start, TransitionContext.TargetWidth, i + 1);
      } else {
        Piece(start, 0, i + 1, TransitionContext.TargetHeight);
      }
    }
    if (PaceStep() > 0) return;
  }
}

// A square row of the board: `offset` picks which colour's squares.
void CheckerRow(Position top, Position offset, Position squares, int grain) {
  for (Position j = 0; j < squares; ++j) Piece(2 * Position{grain} * j + offset, top, grain, grain);
}

// Each colour is swept over the board's rows in turn; the board has one row more than the
// picture needs, lying wholly below it.
void Checkerboard(int grain, bool up) {
  const Position columns = CeilDiv(TransitionContext.TargetWidth, grain);
  const int rows = CeilDiv(TransitionContext.TargetHeight, grain);
  const Position squares = (columns + 2) / 2;
  for (int sweep = 0; sweep < 2; ++sweep) {
    for (int step = 0; step <= rows; ++step) {
      const int r = up ? rows - step : step;
      const bool evenColour = (r % 2 == 0) == (sweep == 0);
      CheckerRow(Position{r} * grain, evenColour ? 0 : grain, squares, grain);
      if (PaceStep() > 0) return;
    }
  }
}

}  // namespace

void BlindHorizontal(int grain) {
  Blind(grain, true);
}
void BlindVertical(int grain) {
  Blind(grain, false);
}

// Strip B starts right of the centre and strip A left of it; they cross at the centre in the
// second step, and the run ends once B has passed the left edge.
void SplitVertical(int grain) {
  const Position width = TransitionContext.TargetWidth;
  const Position height = TransitionContext.TargetHeight;
  const Position g = grain;
  Position b = width / 2 + g;
  Position a = width / 2 - g;
  while (b > -g && a < width + g) {
    Piece(b, 0, g, height);
    Piece(a, 0, g, height);
    b -= g;
    a += g;
    if (PaceStep() > 0) return;
  }
}

// Both strips start on the centre row.
void SplitHorizontal(int grain) {
  const Position width = TransitionContext.TargetWidth;
  const Position height = TransitionContext.TargetHeight;
  const Position g = grain;
  Position b = height / 2;
  Position a = height / 2;
  while (a < height + g && b > -g) {
    Piece(0, b, width, g);
    Piece(0, a, width, g);
    b -= g;
    a += g;
    if (PaceStep() > 0) return;
  }
}

void CheckerboardUp(int grain) {
  Checkerboard(grain, true);
}
void CheckerboardDown(int grain) {
  Checkerboard(grain, false);
}
