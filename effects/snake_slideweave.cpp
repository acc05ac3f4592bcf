// Snake: grain-sized squares uncovered along a back-and-forth path.
// SlideWeave: alternate columns or rows sliding in from opposite edges at once.
#include <algorithm>

#include "effects/effect_routines.h"
#include "effects/engine.h"
#include "effects/picture_copy.h"

namespace {

// The squares of the Snake grid; the path also walks one column or row past the picture on
// each side, where squares draw nothing but still pace, so the snake pauses at its turns.
struct SnakeGrid {
  int grain;
  int columns;  // nx
  int rows;     // ny
};

SnakeGrid GridOf(int grain) {
  return {grain, CeilDiv(TransitionContext.TargetWidth, grain),
          CeilDiv(TransitionContext.TargetHeight, grain)};
}

// Square (column, row) of the picture onto its own place; false when input ends the effect.
bool SnakeSquare(const SnakeGrid& grid, int column, int row) {
  const TransitionContextRecord& c = TransitionContext;
  const long long x = static_cast<long long>(column) * grid.grain;
  const long long y = static_cast<long long>(row) * grid.grain;
  CopyPicture(c.TargetX + x, c.TargetY + y, grid.grain, grid.grain, x, y);
  return PaceStep() == 0;
}

// Column `column` from row `from` to row `to`, either way round.
bool SnakeColumn(const SnakeGrid& grid, int column, int from, int to) {
  const int step = from <= to ? 1 : -1;
  for (int row = from;; row += step) {
    if (!SnakeSquare(grid, column, row)) return false;
    if (row == to) return true;
  }
}

bool SnakeRow(const SnakeGrid& grid, int row, int from, int to) {
  const int step = from <= to ? 1 : -1;
  for (int column = from;; column += step) {
    if (!SnakeSquare(grid, column, row)) return false;
    if (column == to) return true;
  }
}

// One SlideWeave step moves every band by one grain; the step is paced once, after all its
// copies. Step 0 copies empty bands: the effect opens with a pause of one step.
void RunSlideWeave(int steps, void (*copyStep)(long long step, int grainX, int grainY), int grainX,
                   int grainY) {
  for (long long step = 0; step < steps; ++step) {
    copyStep(step, grainX, grainY);
    if (PaceStep() != 0) return;
  }
}

// Columns grainX wide, sliding grainY a step: the even ones down from the top edge, the odd
// ones up from the bottom. A column past the picture moves back to W - grainX, over the last
// real column; the last step's copies are straight, so the finished picture is exact anyway.
void VerticalStep(long long step, int grainX, int grainY) {
  const TransitionContextRecord& c = TransitionContext;
  const int width = grainX;
  const long long shown = step * grainY;
  const long long sourceY = std::max(0LL, c.TargetHeight - shown);
  const int pairs = (CeilDiv(c.TargetWidth, width) + 2) / 2;
  for (long long pair = 0; pair < pairs; ++pair) {
    long long down = 2 * pair * width;
    if (down > c.TargetWidth) down = c.TargetWidth - width;
    CopyPicture(c.TargetX + down, c.TargetY, width, shown, down, sourceY);
    long long up = down + width;
    if (up > c.TargetWidth) up = c.TargetWidth - width;
    CopyPicture(c.TargetX + up, c.TargetY + sourceY, width, shown, up, 0);
  }
}

// Rows grainY high, sliding grainX a step: the even ones in from the left edge, the odd ones
// from the right. A row past the picture moves to H, wholly below it, where it draws nothing.
void HorizontalStep(long long step, int grainX, int grainY) {
  const TransitionContextRecord& c = TransitionContext;
  const int height = grainY;
  const long long shown = step * grainX;
  const long long sourceX = std::max(0LL, c.TargetWidth - shown);
  const int pairs = (CeilDiv(c.TargetHeight, height) + 2) / 2;
  for (long long pair = 0; pair < pairs; ++pair) {
    long long fromLeft = 2 * pair * height;
    if (fromLeft > c.TargetHeight) fromLeft = c.TargetHeight;
    CopyPicture(c.TargetX, c.TargetY + fromLeft, shown, height, sourceX, fromLeft);
    long long fromRight = fromLeft + height;
    if (fromRight > c.TargetHeight) fromRight = c.TargetHeight;
    CopyPicture(c.TargetX + sourceX, c.TargetY + fromRight, shown, height, 0, fromRight);
  }
}

}  // namespace

void SnakeRight(int grain) {
  const SnakeGrid grid = GridOf(grain);
  for (int column = 0; column < grid.columns + 1; column += 2) {
    if (!SnakeColumn(grid, column, grid.rows, 0)) return;
    if (!SnakeColumn(grid, column + 1, 0, grid.rows)) return;
  }
}

void SnakeLeft(int grain) {
  const SnakeGrid grid = GridOf(grain);
  for (int column = grid.columns; column > -1; column -= 2) {
    if (!SnakeColumn(grid, column, 0, grid.rows)) return;
    if (!SnakeColumn(grid, column - 1, grid.rows, 0)) return;
  }
}

void SnakeUp(int grain) {
  const SnakeGrid grid = GridOf(grain);
  for (int row = grid.rows; row > -1; row -= 2) {
    if (!SnakeRow(grid, row, 0, grid.columns)) return;
    if (!SnakeRow(grid, row - 1, grid.columns + 1, 0)) return;
  }
}

void SnakeDown(int grain) {
  const SnakeGrid grid = GridOf(grain);
  for (int row = 0; row < grid.rows + 1; row += 2) {
    if (!SnakeRow(grid, row, 0, grid.columns)) return;
    if (!SnakeRow(grid, row + 1, grid.columns + 1, 0)) return;
  }
}

void SlideWeaveVertical(int grain, int grainAgain) {
  const int steps = CeilDiv(TransitionContext.TargetHeight, grainAgain) + 1;
  RunSlideWeave(steps, VerticalStep, grain, grainAgain);
}

void SlideWeaveHorizontal(int grain, int grainAgain) {
  const int steps = CeilDiv(TransitionContext.TargetWidth, grain) + 1;
  RunSlideWeave(steps, HorizontalStep, grain, grainAgain);
}
