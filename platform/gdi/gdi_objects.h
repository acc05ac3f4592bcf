// GDI's object tables: bitmaps, device contexts and the stock objects, behind one lock.
// Internal to platform/gdi.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/backend.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/gdi/pixel_memory.h"
#include "platform/win32.h"

namespace platform::gdi {

struct BitmapObject {
  int width = 0;
  int height = 0;
  PixelMemory pixels;          // 0x00RRGGBB, row after row
  HDC selectedInto = nullptr;  // the one memory DC holding it, if any

  PixelSurface Surface() { return PixelSurface{pixels.data(), width, height, width}; }
};

enum class DcKind { Memory, Window, Screen };

struct DcObject {
  DcKind kind = DcKind::Memory;
  HWND window = nullptr;           // window DCs only
  HBITMAP bitmap = nullptr;        // memory DCs: the selected user bitmap, null for the default one
  std::uint32_t defaultPixel = 0;  // the default 1x1 bitmap's pixel, private to this DC
  int stretchMode = BLACKONWHITE;
  HGDIOBJ brush = nullptr;  // the selected brush (a stock brush)
};

// Where a DC's drawing lands, fetched afresh for each operation (a window's surface is remade
// when it is resized), and which window to present afterwards.
struct DrawTarget {
  PixelSurface surface;
  HWND present = nullptr;
};

struct GdiState {
  // Recursive so that a copy observer may itself call GDI.
  std::recursive_mutex mutex;
  std::unordered_map<std::uintptr_t, DcObject> dcs;
  std::unordered_map<std::uintptr_t, BitmapObject> bitmaps;
  // Handle counters survive ResetGdi, so that handles from before it stay stale.
  std::uintptr_t lastDc = 0;
  std::uintptr_t lastObject = 0;
  // The screen when no window covers it: created on first use, kept across GetDC calls.
  std::vector<std::uint32_t> offScreen;
  int offScreenWidth = 0;
  int offScreenHeight = 0;
  std::function<void(const CopyCall&)> copyObserver;
};

GdiState& State();

HDC AddDc(GdiState& state, DcObject dc);
HBITMAP AddBitmap(GdiState& state, BitmapObject bitmap);
DcObject* FindDc(GdiState& state, HDC dc);
BitmapObject* FindBitmap(GdiState& state, HGDIOBJ object);
// Null for a handle that names no DC.
std::optional<DrawTarget> ResolveTarget(GdiState& state, HDC dc);

// Stock objects: never counted, never deleted.
HGDIOBJ StockObject(int index);  // null for an index that is not provided
HBITMAP DefaultBitmap();         // what a new memory DC holds: 1x1
bool IsStockObject(HGDIOBJ object);
std::optional<std::uint32_t> BrushColour(HGDIOBJ brush);  // 0x00RRGGBB of a stock brush

}  // namespace platform::gdi
