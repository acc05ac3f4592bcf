#include "platform/gdi/gdi_objects.h"

#include <algorithm>
#include <utility>

#include "platform/handles.h"
#include "platform/user/window_system.h"

namespace platform::gdi {
namespace {

// Handle values carry their kind in the top byte; the rest counts up and wraps, skipping
// values still in use.
constexpr std::uintptr_t kHandleIndexMask = ~kHandleKindMask & 0xFFFFFFFF;
constexpr std::uintptr_t kDefaultBitmapIndex = 0x100;

template <class Table>
std::uintptr_t NextHandleValue(std::uintptr_t base, std::uintptr_t& last, const Table& table) {
  for (;;) {
    last = (last % kHandleIndexMask) + 1;
    if (!table.contains(base + last)) return base + last;
  }
}

PixelSurface OffScreenSurface(GdiState& state) {
  Backend* backend = CurrentBackend();
  const int width = backend != nullptr ? backend->ScreenWidth() : 0;
  const int height = backend != nullptr ? backend->ScreenHeight() : 0;
  if (width != state.offScreenWidth || height != state.offScreenHeight) {
    state.offScreen.assign(static_cast<std::size_t>(std::max(width, 0)) *
                               static_cast<std::size_t>(std::max(height, 0)),
                           0);
    state.offScreenWidth = width;
    state.offScreenHeight = height;
  }
  return PixelSurface{state.offScreen.data(), width, height, width};
}

}  // namespace

GdiState& State() {
  static GdiState state;
  return state;
}

HDC AddDc(GdiState& state, DcObject dc) {
  const std::uintptr_t value = NextHandleValue(kDcHandleBase, state.lastDc, state.dcs);
  if (dc.brush == nullptr) dc.brush = StockObject(WHITE_BRUSH);
  state.dcs.emplace(value, dc);
  return MakeHandle<HDC>(value);
}

HBITMAP AddBitmap(GdiState& state, BitmapObject bitmap) {
  const std::uintptr_t value =
      NextHandleValue(kGdiObjectHandleBase, state.lastObject, state.bitmaps);
  state.bitmaps.emplace(value, std::move(bitmap));
  return MakeHandle<HBITMAP>(value);
}

DcObject* FindDc(GdiState& state, HDC dc) {
  auto found = state.dcs.find(HandleValue(dc));
  return found == state.dcs.end() ? nullptr : &found->second;
}

BitmapObject* FindBitmap(GdiState& state, HGDIOBJ object) {
  auto found = state.bitmaps.find(HandleValue(object));
  return found == state.bitmaps.end() ? nullptr : &found->second;
}

std::optional<DrawTarget> ResolveTarget(GdiState& state, HDC handle) {
  DcObject* dc = FindDc(state, handle);
  if (dc == nullptr) return std::nullopt;
  switch (dc->kind) {
    case DcKind::Memory:
      if (dc->bitmap != nullptr) {
        if (BitmapObject* bitmap = FindBitmap(state, dc->bitmap)) {
          return DrawTarget{bitmap->Surface(), nullptr};
        }
      }
      return DrawTarget{PixelSurface{&dc->defaultPixel, 1, 1, 1}, nullptr};
    case DcKind::Window:
      return DrawTarget{WindowSurface(dc->window), dc->window};
    case DcKind::Screen:
      if (HWND fullScreen = FullScreenWindow()) {
        return DrawTarget{WindowSurface(fullScreen), fullScreen};
      }
      return DrawTarget{OffScreenSurface(state), nullptr};
  }
  return std::nullopt;
}

HGDIOBJ StockObject(int index) {
  if (index != WHITE_BRUSH && index != BLACK_BRUSH) return nullptr;
  return MakeHandle<HGDIOBJ>(kStockObjectHandleBase + 1 + static_cast<std::uintptr_t>(index));
}

HBITMAP DefaultBitmap() {
  return MakeHandle<HBITMAP>(kStockObjectHandleBase + kDefaultBitmapIndex);
}

bool IsStockObject(HGDIOBJ object) {
  return object == StockObject(WHITE_BRUSH) || object == StockObject(BLACK_BRUSH) ||
         object == DefaultBitmap();
}

std::optional<std::uint32_t> BrushColour(HGDIOBJ brush) {
  if (brush == StockObject(WHITE_BRUSH)) return 0x00FFFFFFu;
  if (brush == StockObject(BLACK_BRUSH)) return 0u;
  return std::nullopt;
}

// --- gdi_probe.h ------------------------------------------------------------------------

LiveObjects CountLiveObjects() {
  GdiState& state = State();
  std::lock_guard lock(state.mutex);
  return LiveObjects{static_cast<int>(state.dcs.size()), static_cast<int>(state.bitmaps.size()), 0};
}

void SetCopyObserver(std::function<void(const CopyCall&)> observer) {
  GdiState& state = State();
  std::lock_guard lock(state.mutex);
  state.copyObserver = std::move(observer);
}

void ResetGdi() {
  GdiState& state = State();
  std::lock_guard lock(state.mutex);
  state.dcs.clear();
  state.bitmaps.clear();
  state.offScreen = {};
  state.offScreenWidth = 0;
  state.offScreenHeight = 0;
  state.copyObserver = nullptr;
}

std::uint32_t OffScreenPixel(int x, int y) {
  GdiState& state = State();
  std::lock_guard lock(state.mutex);
  if (x < 0 || y < 0 || x >= state.offScreenWidth || y >= state.offScreenHeight) return 0;
  return state
      .offScreen[static_cast<std::size_t>(y) * static_cast<std::size_t>(state.offScreenWidth) +
                 static_cast<std::size_t>(x)];
}

}  // namespace platform::gdi
