// The configuration dialog (dialog 2003): its state while it is open, and the direction
// buttons that stand for the effect's direction code.
#pragma once

#include <memory>

#include "libs/raui/raui.h"
#include "platform/win32.h"
#include "settings/read_setting.h"

struct ConfigDialogStateRecord {
  int PictureEntryCount;   // entries in the picture list (1010)
  int ClipEntryCount;      // entries in the sound-clip list (1024)
  BOOL ClipPreviewActive;  // the sound-clip player has been created and not yet destroyed
  HWND ThumbnailWindow;    // control 1021
  UINT_PTR TimerHandle;    // what SetTimer returned for the delayed previews; 0 when none
  BOOL PlayerPresent;      // clips are stored and the song player is installed
  DWORD ClipClient;        // the sound-clip player's client and UI object
  DWORD ClipInterface;
  // The window record the UI object draws into: one per player made, freed once the player
  // that uses it is gone.
  std::unique_ptr<ClipWindowRecord> ClipWindow;
  char BrowseFolder[SettingTextSize];  // folder of the files the last "Browse ..." added
};

extern ConfigDialogStateRecord ConfigDialogState;

inline constexpr UINT_PTR ConfigTimerId = 200;
inline constexpr int ScrambleEffect = 16;

// Sets the nine direction buttons for TransitionContext.Effect's direction class, checked by the
// loaded EffectDir (a code the class does not have shows the class's fallback). Only the
// class's own buttons are left enabled.
void ShowDirectionButtons(HWND dialog);
// The sum of the weights of the checked direction buttons, enabled or not.
int DirectionCodeFromButtons(HWND dialog);
// A click on a direction button other than "None", after the button has toggled itself: keeps
// the buttons of the effect's class behaving like radio buttons.
void OnDirectionClick(HWND dialog, int id);
// Enables or disables the effect combo and all nine direction buttons.
void EnableEffectChoice(HWND dialog, BOOL enable);
// Makes the sound-clip player unless it is there, then hands it the selected clip.
void StartClipPreview(HWND dialog);
// Destroys the sound-clip player if it is there.
void EndClipPreview(HWND dialog);
// Leaves the sound-clip player's area (control 1027) blank at once.
void BlankClipPlayerArea(HWND dialog);
