// The saver window's slide show: the logo, then the playlist's pictures one per timer tick,
// each brought in by a transition.
#pragma once

#include "platform/win32.h"

struct SlideShowRecord {
  UINT_PTR TimerHandle;  // non-zero while timer 200 is armed
  BOOL LogoPending;      // until the first tick has drawn the logo
  int CurrentPicture;    // -1 after the logo, then 0 .. picture count - 1
  int LastEffect;        // the previous picture's effect when effects are random
  BOOL SmallWindow;      // client narrower than 640 pixels: pictures are stretched
  BOOL PlayerStarted;    // CreateProcess of the song player succeeded
  PROCESS_INFORMATION PlayerProcess;
  STARTUPINFOA PlayerStartup;
  HBITMAP PictureBitmap;  // the picture (or logo) being drawn
};

extern SlideShowRecord SlideShow;

inline constexpr UINT_PTR SlideShowTimerId = 200;
// Client widths below this are small windows (previews): pictures are stretched, not brought
// in by transitions.
inline constexpr LONG SmallWindowWidth = 640;

// Draws the playlist entry of the current picture index, or the logo in its place when the
// entry is missing or cannot be decoded.
void ShowNextPicture(HWND window);
// Draws the "LOGODIB" bitmap centred (stretched onto a small window).
void DrawLogo(HWND window);
