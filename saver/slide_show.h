// The state of the one saver window's slide show.
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
