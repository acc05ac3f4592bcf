#include "platform/gdi/raster.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform::gdi {
namespace {

// Rectangles are worked out in 64 bits: x + width alone can overflow an int.
using Wide = std::int64_t;

RECT MakeRect(Wide left, Wide top, Wide right, Wide bottom) {
  return RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
              static_cast<LONG>(bottom)};
}

std::uint32_t* Row(const PixelSurface& surface, Wide y) {
  return surface.pixels + y * surface.stride;
}

bool Usable(const PixelSurface& surface) {
  return surface.pixels != nullptr && surface.width > 0 && surface.height > 0;
}

RECT CopyRegion(const PixelSurface& dest, Wide x, Wide y, Wide width, Wide height,
                const PixelSurface& source, Wide sourceX, Wide sourceY) {
  if (width <= 0 || height <= 0 || !Usable(dest) || !Usable(source)) return RECT{};
  // Clip to the source first, moving the destination along with it.
  Wide left = std::max<Wide>(sourceX, 0);
  Wide top = std::max<Wide>(sourceY, 0);
  Wide right = std::min<Wide>(sourceX + width, source.width);
  Wide bottom = std::min<Wide>(sourceY + height, source.height);
  Wide destLeft = x + (left - sourceX);
  Wide destTop = y + (top - sourceY);
  // Then to the destination, moving the source along.
  if (destLeft < 0) {
    left -= destLeft;
    destLeft = 0;
  }
  if (destTop < 0) {
    top -= destTop;
    destTop = 0;
  }
  const Wide columns = std::min<Wide>(right - left, dest.width - destLeft);
  const Wide rows = std::min<Wide>(bottom - top, dest.height - destTop);
  if (columns <= 0 || rows <= 0) return RECT{};

  const std::size_t rowBytes = static_cast<std::size_t>(columns) * sizeof(std::uint32_t);
  // Within one surface a downward copy must run bottom-up, or it reads rows it has already
  // overwritten; memmove takes care of overlap within a row.
  const bool bottomUp = dest.pixels == source.pixels && destTop > top;
  for (Wide i = 0; i < rows; ++i) {
    const Wide row = bottomUp ? rows - 1 - i : i;
    std::memmove(Row(dest, destTop + row) + destLeft, Row(source, top + row) + left, rowBytes);
  }
  return MakeRect(destLeft, destTop, destLeft + columns, destTop + rows);
}

// One axis of a stretch after mirroring has been taken out: position and extent both positive.
struct Axis {
  Wide dest = 0;
  Wide destExtent = 0;
  Wide source = 0;
  Wide sourceExtent = 0;
  bool mirrored = false;

  // The source coordinate sampled by destination offset i (0 <= i < destExtent), exactly:
  // floor((k + 0.5) * sourceExtent / destExtent) with k the unmirrored offset.
  Wide Sample(Wide i) const {
    const auto k = static_cast<std::uint64_t>(mirrored ? destExtent - 1 - i : i);
    const auto numerator = (2 * k + 1) * static_cast<std::uint64_t>(sourceExtent);
    return source + static_cast<Wide>(numerator / (2 * static_cast<std::uint64_t>(destExtent)));
  }
};

Axis Normalise(Wide dest, Wide destExtent, Wide source, Wide sourceExtent) {
  Axis axis{dest, destExtent, source, sourceExtent, false};
  if (axis.destExtent < 0) {
    axis.dest += axis.destExtent;
    axis.destExtent = -axis.destExtent;
    axis.mirrored = !axis.mirrored;
  }
  if (axis.sourceExtent < 0) {
    axis.source += axis.sourceExtent;
    axis.sourceExtent = -axis.sourceExtent;
    axis.mirrored = !axis.mirrored;
  }
  return axis;
}

}  // namespace

RECT CopyPixels(const PixelSurface& dest, int x, int y, int width, int height,
                const PixelSurface& source, int sourceX, int sourceY) {
  return CopyRegion(dest, x, y, width, height, source, sourceX, sourceY);
}

RECT StretchPixels(const PixelSurface& dest, int x, int y, int width, int height,
                   const PixelSurface& source, int sourceX, int sourceY, int sourceWidth,
                   int sourceHeight) {
  if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0) return RECT{};
  if (!Usable(dest) || !Usable(source)) return RECT{};
  const Axis across = Normalise(x, width, sourceX, sourceWidth);
  const Axis down = Normalise(y, height, sourceY, sourceHeight);
  if (!across.mirrored && !down.mirrored && across.destExtent == across.sourceExtent &&
      down.destExtent == down.sourceExtent) {
    return CopyRegion(dest, across.dest, down.dest, across.destExtent, down.destExtent, source,
                      across.source, down.source);
  }

  // Destination offsets that land on the destination surface.
  const Wide firstColumn = std::max<Wide>(0, -across.dest);
  const Wide endColumn = std::min<Wide>(across.destExtent, dest.width - across.dest);
  const Wide firstRow = std::max<Wide>(0, -down.dest);
  const Wide endRow = std::min<Wide>(down.destExtent, dest.height - down.dest);
  if (firstColumn >= endColumn || firstRow >= endRow) return RECT{};

  // The sample is monotonic in the offset, so the columns whose source lies inside the source
  // surface form one run: trim the ends, then keep the run's map for every row.
  static thread_local std::vector<std::uint32_t> columnMap;
  columnMap.clear();
  Wide runStart = -1;
  for (Wide i = firstColumn; i < endColumn; ++i) {
    const Wide sample = across.Sample(i);
    if (sample < 0 || sample >= source.width) {
      if (runStart >= 0) break;
      continue;
    }
    if (runStart < 0) runStart = i;
    columnMap.push_back(static_cast<std::uint32_t>(sample));
  }
  if (runStart < 0) return RECT{};
  const Wide destLeft = across.dest + runStart;
  const auto columns = static_cast<Wide>(columnMap.size());

  // Stretching a surface onto itself would read pixels already overwritten: read the source
  // rows from a snapshot instead.
  PixelSurface from = source;
  static thread_local std::vector<std::uint32_t> snapshot;
  if (source.pixels == dest.pixels) {
    snapshot.assign(source.pixels, Row(source, source.height - 1) + source.width);
    from.pixels = snapshot.data();
  }

  Wide changedTop = -1;
  Wide changedBottom = -1;
  for (Wide j = firstRow; j < endRow; ++j) {
    const Wide sourceRow = down.Sample(j);
    if (sourceRow < 0 || sourceRow >= source.height) continue;
    const std::uint32_t* in = Row(from, sourceRow);
    std::uint32_t* out = Row(dest, down.dest + j) + destLeft;
    for (Wide i = 0; i < columns; ++i) out[i] = in[columnMap[static_cast<std::size_t>(i)]];
    if (changedTop < 0) changedTop = down.dest + j;
    changedBottom = down.dest + j + 1;
  }
  if (changedTop < 0) return RECT{};
  return MakeRect(destLeft, changedTop, destLeft + columns, changedBottom);
}

RECT FillPixels(const PixelSurface& dest, const RECT& rect, std::uint32_t colour) {
  if (!Usable(dest)) return RECT{};
  const Wide left = std::max<Wide>(rect.left, 0);
  const Wide top = std::max<Wide>(rect.top, 0);
  const Wide right = std::min<Wide>(rect.right, dest.width);
  const Wide bottom = std::min<Wide>(rect.bottom, dest.height);
  if (left >= right || top >= bottom) return RECT{};
  for (Wide row = top; row < bottom; ++row) {
    std::fill(Row(dest, row) + left, Row(dest, row) + right, colour);
  }
  return MakeRect(left, top, right, bottom);
}

}  // namespace platform::gdi
