// The saver module's settings: read from the store once when the saver window or the
// configuration dialog opens, written value by value when the dialog is confirmed.
#pragma once

#include "platform/win32.h"
#include "settings/read_setting.h"

struct SaverSettingsRecord {
  char InstallPath[SettingTextSize];  // "ScreenSaverPath", else the installed data folder
  char HelpPath[SettingTextSize];     // "<install path>/Tavrin.html"; empty when too long
  int PictureCount;                   // at least 1
  int SongCount;
  BOOL RandomImages;
  BOOL RandomEffects;
  BOOL PlaySongs;
  BOOL RandomSongs;
  BOOL ImagePreview;
  WORD FirstTickDelay;  // ms before the slide show's first tick and the dialog's timer
  DWORD PicturePeriod;  // ms from one picture to the next, at most SetTimer's 0x7FFFFFFF
};

extern SaverSettingsRecord SaverSettings;

// Stores `text` (without its NUL) as "Software\Dravelin\Tavrin\<subKey>" / `valueName`,
// creating the key. Each failure is told in a message box owned by `window`; nothing is
// returned.
void WriteSetting(HWND window, const char* subKey, const char* valueName, const char* text);

// Fills SaverSettings, TransitionContext's Effect, EffectDir, GrainSize and DelayFactor, and
// the slide show's last effect, from the store; absent values take their defaults and stored
// ones are clamped to their bounds.
void LoadSettings(HWND window);
