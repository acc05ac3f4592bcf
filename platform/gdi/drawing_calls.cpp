// The Win32 drawing calls: they find each DC's pixels, leave the pixel work to raster.h, and
// put a window's change on screen once the lock is let go.
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/raster.h"
#include "platform/user/window_system.h"

namespace gdi = platform::gdi;

namespace {

void Present(HWND window, const RECT& changed) {
  if (window != nullptr && !gdi::IsEmptyRect(changed)) platform::PresentWindow(window, changed);
}

}  // namespace

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  const std::optional<std::uint32_t> colour = gdi::BrushColour(brush);
  if (rect == nullptr || !colour) return 0;
  HWND present = nullptr;
  RECT changed{};
  {
    gdi::GdiState& state = gdi::State();
    std::lock_guard lock(state.mutex);
    const std::optional<gdi::DrawTarget> target = gdi::ResolveTarget(state, dc);
    if (!target) return 0;
    changed = gdi::FillPixels(target->surface, *rect, *colour);
    present = target->present;
  }
  Present(present, changed);
  return 1;
}

BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX,
                   int sourceY, DWORD rop) {
  HWND present = nullptr;
  RECT changed{};
  {
    gdi::GdiState& state = gdi::State();
    std::lock_guard lock(state.mutex);
    if (state.copyObserver) {
      state.copyObserver(
          gdi::CopyCall{false, dest, x, y, width, height, source, sourceX, sourceY, 0, 0});
    }
    if (rop != SRCCOPY) return FALSE;
    const std::optional<gdi::DrawTarget> to = gdi::ResolveTarget(state, dest);
    const std::optional<gdi::DrawTarget> from = gdi::ResolveTarget(state, source);
    if (!to || !from) return FALSE;
    changed = gdi::CopyPixels(to->surface, x, y, width, height, from->surface, sourceX, sourceY);
    present = to->present;
  }
  Present(present, changed);
  return TRUE;
}

BOOL WINAPI StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX,
                       int sourceY, int sourceWidth, int sourceHeight, DWORD rop) {
  HWND present = nullptr;
  RECT changed{};
  {
    gdi::GdiState& state = gdi::State();
    std::lock_guard lock(state.mutex);
    if (state.copyObserver) {
      state.copyObserver(gdi::CopyCall{true, dest, x, y, width, height, source, sourceX, sourceY,
                                       sourceWidth, sourceHeight});
    }
    if (rop != SRCCOPY) return FALSE;
    const std::optional<gdi::DrawTarget> to = gdi::ResolveTarget(state, dest);
    const std::optional<gdi::DrawTarget> from = gdi::ResolveTarget(state, source);
    if (!to || !from) return FALSE;
    changed = gdi::StretchPixels(to->surface, x, y, width, height, from->surface, sourceX, sourceY,
                                 sourceWidth, sourceHeight);
    present = to->present;
  }
  Present(present, changed);
  return TRUE;
}
