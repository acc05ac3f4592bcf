// The two effects driven by the shared random generator: squares scattered at random, and the
// whole screen shuffled in tiles and put back.
#include <climits>

#include "effects/effect_routines.h"
#include "effects/engine.h"
#include "settings/random.h"

namespace {

constexpr int RandomBlocksPasses = 8;

constexpr int ScrambleGrid = 10;  // tiles across and down
constexpr int ScrambleSwaps = 500;

struct TileSwap {
  // Screen coordinates of the two tiles. Kept as int: the table never leaves this call, and a
  // narrower type could garble the way back on a very wide screen.
  int ax, ay, bx, by;
};

// The off-screen pieces of one Scramble run.
struct ScrambleTools {
  HDC screen;
  HDC buffer;  // holds one tile
  int tileWidth;
  int tileHeight;
};

// Three copies, the first tile saved in the buffer; swapping a tile with itself changes nothing.
void SwapTiles(const ScrambleTools& tools, const TileSwap& swap) {
  BitBlt(tools.buffer, 0, 0, tools.tileWidth, tools.tileHeight, tools.screen, swap.ax, swap.ay,
         SRCCOPY);
  BitBlt(tools.screen, swap.ax, swap.ay, tools.tileWidth, tools.tileHeight, tools.screen, swap.bx,
         swap.by, SRCCOPY);
  BitBlt(tools.screen, swap.bx, swap.by, tools.tileWidth, tools.tileHeight, tools.buffer, 0, 0,
         SRCCOPY);
}

// The shuffle and its exact undoing, in reverse; false as soon as input stops it.
bool ShuffleAndRestore(const ScrambleTools& tools) {
  TileSwap swaps[ScrambleSwaps];
  for (TileSwap& swap : swaps) {
    swap.ax = NextRandom() % ScrambleGrid * tools.tileWidth;
    swap.ay = NextRandom() % ScrambleGrid * tools.tileHeight;
    swap.bx = NextRandom() % ScrambleGrid * tools.tileWidth;
    swap.by = NextRandom() % ScrambleGrid * tools.tileHeight;
    SwapTiles(tools, swap);
    if (PaceStep() != 0) return false;
  }
  for (int i = ScrambleSwaps - 1; i >= 0; --i) {
    SwapTiles(tools, swaps[i]);
    if (PaceStep() != 0) return false;
  }
  return true;
}

}  // namespace

// Each pass doubles the square. Only the first pass rounds its counts up, so later passes never
// reach the right and bottom remainders; the last pass's squares are large enough to finish any
// picture up to 128 grains a side. The square side is kept in 64 bits because a huge grain would
// overflow it within the eight doublings (and then divide by zero).
void RandomBlocks(int grain) {
  const TransitionContextRecord& c = TransitionContext;
  long long side = grain;
  int across = CeilDiv(c.TargetWidth, grain);
  int down = CeilDiv(c.TargetHeight, grain);
  for (int pass = 0; pass < RandomBlocksPasses; ++pass) {
    SeedRandom(GetTickCount() & 0xFFFF);
    const auto count = static_cast<long long>(1.5 * (down + 1.0) * (across + 1.0));
    // A square never starts beyond the picture, so only its side can exceed an int.
    const int copySide = side > INT_MAX ? INT_MAX : static_cast<int>(side);
    for (long long i = 0; i < count; ++i) {
      const int column = NextRandom() % across;
      const int row = NextRandom() % down;
      const auto u = static_cast<int>(side * column);
      const auto v = static_cast<int>(side * row);
      BitBlt(c.DestDC, c.TargetX + u, c.TargetY + v, copySide, copySide, c.SourceDC, u, v, SRCCOPY);
      if (PaceStep() != 0) return;
    }
    side *= 2;
    across = side > c.TargetWidth ? 1 : static_cast<int>(c.TargetWidth / side);
    down = side > c.TargetHeight ? 1 : static_cast<int>(c.TargetHeight / side);
  }
}

// Draws the picture at once, then shuffles the whole screen (the black border with it) tile by
// tile and replays the swaps backwards. Whatever ends it, the tile buffer and the screen DC are
// given back.
void Scramble(int /*grain*/) {
  const TransitionContextRecord& c = TransitionContext;
  ScrambleTools tools{};
  tools.screen = GetDC(nullptr);
  tools.buffer = CreateCompatibleDC(tools.screen);
  tools.tileWidth = GetSystemMetrics(SM_CXSCREEN) / ScrambleGrid;
  tools.tileHeight = GetSystemMetrics(SM_CYSCREEN) / ScrambleGrid;
  HBITMAP tile = CreateCompatibleBitmap(tools.screen, tools.tileWidth, tools.tileHeight);

  BitBlt(c.DestDC, c.TargetX, c.TargetY, c.TargetWidth, c.TargetHeight, c.SourceDC, 0, 0, SRCCOPY);
  SelectObject(tools.buffer, tile);
  SeedRandom(GetTickCount() & 0xFFFF);
  ShuffleAndRestore(tools);

  DeleteDC(tools.buffer);
  ReleaseDC(nullptr, tools.screen);
  DeleteObject(tile);
}
