// The configuration dialog's previews: the thumbnail of the selected picture (control 1021)
// and the player of the selected sound clip (hosted in control 1027).
#pragma once

#include "platform/win32.h"

// Draws the selected picture entry stretched over the whole thumbnail window.
void DrawThumbnail(HWND dialog, HWND thumbnail);
// Sets up the sound-clip player in control 1027. The caller marks it active, whatever came of it.
void CreateClipPreview(HWND dialog);
// Hands the selected sound-clip entry to the player.
void LoadClipPreview(HWND dialog);
// Destroys the player and shuts its client down.
void DestroyClipPreview(HWND dialog);
