// The Win32 calls that make, select, inspect and free DCs and bitmaps.
#include <new>
#include <utility>

#include "platform/gdi/dib_reader.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/pixel_bitmap.h"
#include "platform/handles.h"
#include "platform/resources.h"

namespace gdi = platform::gdi;

namespace {

// Bitmaps beyond this many pixels are refused: 1 GiB of pixels is no picture we show.
constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 28;

HBITMAP NewBitmap(gdi::GdiState& state, int width, int height, gdi::PixelMemory pixels) {
  gdi::BitmapObject bitmap;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.pixels = std::move(pixels);
  return gdi::AddBitmap(state, std::move(bitmap));
}

}  // namespace

// Here rather than in a file of its own: the picture library resolves it from the program at
// load time, and this file is linked into every program that draws.
HBITMAP platform::gdi::AdoptPixels(int width, int height, PixelMemory&& pixels) {
  if (width <= 0 || height <= 0 || std::int64_t{width} * height > kMaxBitmapPixels ||
      pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    return nullptr;
  }
  gdi::GdiState& state = gdi::State();
  std::lock_guard lock(state.mutex);
  return NewBitmap(state, width, height, std::move(pixels));
}

HDC WINAPI GetDC(HWND window) {
  if (window != nullptr && !IsWindow(window)) return nullptr;
  gdi::GdiState& state = gdi::State();
  std::lock_guard lock(state.mutex);
  gdi::DcObject dc;
  dc.kind = window == nullptr ? gdi::DcKind::Screen : gdi::DcKind::Window;
  dc.window = window;
  return gdi::AddDc(state, dc);
}

int WINAPI ReleaseDC(HWND /*window*/, HDC dc) {
  gdi::GdiState& state = gdi::State();
  std::lock_guard lock(state.mutex);
  gdi::DcObject* found = gdi::FindDc(state, dc);
  if (found == nullptr || found->kind == gdi::DcKind::Memory) return 0;
  state.dcs.erase(platform::HandleValue(dc));
  return 1;
}

HDC WINAPI CreateCompatibleDC(HDC dc) {
  gdi::GdiState& state = gdi::State();
  std::lock_guard lock(state.mutex);
  if (dc != nullptr && gdi::FindDc(state, dc) == nullptr) return nullptr;
  return gdi::AddDc(state, gdi::DcObject{});
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height) {
  // Win32 makes a 1x1 monochrome bitmap for a zero extent; nothing here wants one.
  if (width <= 0 || height <= 0 || std::int64_t{width} * height > kMaxBitmapPixels) {
    return nullptr;
  }
  gdi::GdiState& state = gdi::State();
  std::lock_guard lock(state.mutex);
  if (gdi::FindDc(state, dc) == nullptr) return nullptr;
  try {
    return NewBitmap(state, width, height,
                     gdi::PixelMemory::Zeroed(static_cast<std::size_t>(width) *
                                              static_cast<std::size_t>(height)));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
  gdi::GdiState& state = gdi::State();
  std::lock_guard lock(state.mutex);
  gdi::DcObject* target = gdi::FindDc(state, dc);
  if (target == nullptr || object == nullptr) return nullptr;
  if (gdi::BrushColour(object)) {
    return std::exchange(target->brush, object);
  }
  const bool isDefault = object == gdi::DefaultBitmap();
  gdi::BitmapObject* bitmap = isDefault ? nullptr : gdi::FindBitmap(state, object);
  if ((!isDefault && bitmap == nullptr) || target->kind != gdi::DcKind::Memory) return nullptr;
  // A bitmap lives in one DC at a time.
  if (bitmap != nullptr && bitmap->selectedInto != nullptr && bitmap->selectedInto != dc) {
    return nullptr;
  }
  HBITMAP previous = target->bitmap != nullptr ? target->bitmap : gdi::DefaultBitmap();
  if (gdi::BitmapObject* old = gdi::FindBitmap(state, target->bitmap)) old->selectedInto = nullptr;
  target->bitmap = isDefault ? nullptr : static_cast<HBITMAP>(object);
  if (bitmap != nullptr) bitmap->selectedInto = dc;
  return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  if (gdi::IsStockObject(object)) return TRUE;
  gdi::GdiState& state = gdi::State();
  std::lock_guard lock(state.mutex);
  gdi::BitmapObject* bitmap = gdi::FindBitmap(state, object);
  // As Win32: a bitmap still selected into a DC is not deleted.
  if (bitmap == nullptr || bitmap->selectedInto != nullptr) return FALSE;
  state.bitmaps.erase(platform::HandleValue(object));
  return TRUE;
}

BOOL WINAPI DeleteDC(HDC dc) {
  gdi::GdiState& state = gdi::State();
  std::lock_guard lock(state.mutex);
  gdi::DcObject* found = gdi::FindDc(state, dc);
  if (found == nullptr) return FALSE;
  // The selected bitmap outlives its DC; its owner still has to delete it.
  if (gdi::BitmapObject* bitmap = gdi::FindBitmap(state, found->bitmap)) {
    bitmap->selectedInto = nullptr;
  }
  state.dcs.erase(platform::HandleValue(dc));
  return TRUE;
}

int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
  BITMAP info{};
  if (object == gdi::DefaultBitmap()) {
    // Win32's default bitmap is a 1x1 monochrome one.
    info = BITMAP{0, 1, 1, 2, 1, 1, nullptr};
  } else {
    gdi::GdiState& state = gdi::State();
    std::lock_guard lock(state.mutex);
    gdi::BitmapObject* bitmap = gdi::FindBitmap(state, object);
    if (bitmap == nullptr) return 0;
    info = BITMAP{0, bitmap->width, bitmap->height, bitmap->width * 4, 1, 32, nullptr};
  }
  if (buffer == nullptr) return static_cast<int>(sizeof(BITMAP));
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  *static_cast<BITMAP*>(buffer) = info;
  return static_cast<int>(sizeof(BITMAP));
}

HGDIOBJ WINAPI GetStockObject(int index) {
  return gdi::StockObject(index);
}

int WINAPI SetStretchBltMode(HDC dc, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  gdi::GdiState& state = gdi::State();
  std::lock_guard lock(state.mutex);
  gdi::DcObject* found = gdi::FindDc(state, dc);
  if (found == nullptr) return 0;
  return std::exchange(found->stretchMode, mode);
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE /*instance*/, LPCSTR name) {
  const platform::Resource* resource = platform::FindResource(platform::ResourceType::Bitmap, name);
  if (resource == nullptr) return nullptr;
  std::optional<gdi::DecodedDib> dib = gdi::DecodeDib(resource->data, resource->size);
  if (!dib) return nullptr;
  gdi::GdiState& state = gdi::State();
  std::lock_guard lock(state.mutex);
  return NewBitmap(state, dib->width, dib->height, std::move(dib->pixels));
}
