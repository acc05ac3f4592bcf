// What the window system (user/) offers the rest of the platform layer: backends report native
// events through it, and gdi/ finds window surfaces through it. Not for the system's code.
#pragma once

#include <cstdint>

#include "platform/backend.h"
#include "platform/win32.h"

namespace platform {

// --- For backends, called from inside Backend::Pump() on the window's thread. ------------

// A key press, button press or pointer motion, as the Win32 input message it becomes
// (WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_MOUSEMOVE).
// Queued after earlier input for the window's thread.
void DeliverInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Part of the client area needs painting, background first (WM_PAINT after WM_ERASEBKGND).
void DeliverExpose(HWND window, const RECT& area);
// The native window now has this client size (it followed a foreign parent, say); the
// surface has been remade. Sends WM_SIZE.
void DeliverResize(HWND window, int width, int height);
// The application lost the keyboard focus: WM_ACTIVATEAPP with wParam FALSE, queued ahead of
// pending input (not counted as input by GetQueueStatus).
void DeliverFocusLost(HWND window);
// The native window, or the foreign parent it lived in, is gone: destroys our window (and
// its children) the ordinary way, with WM_DESTROY.
void DeliverNativeDestroyed(HWND window);
// A foreign window we created children in is gone.
void DeliverForeignDestroyed(std::uintptr_t nativeId);
// Called from inside Backend::Wait() by a backend that can never deliver anything more (the
// headless one, asked to wait with no timer armed): the waiting GetMessage returns -1 instead
// of blocking forever.
void AbandonWait();

// --- For gdi/. ------------------------------------------------------------------------

// The client pixels of one of our windows; an empty surface for anything else.
PixelSurface WindowSurface(HWND window);
// Shows a changed client rectangle of one of our windows (clipped to the surface here).
void PresentWindow(HWND window, const RECT& changed);
// The window that covers the whole screen (the full-screen saver), or null.
HWND FullScreenWindow();

// --- For tests and backends: resets every window, class, queue and timer of the process.
void ResetWindowSystem();

}  // namespace platform
