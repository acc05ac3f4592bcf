// The configuration dialog's previews: the thumbnail of the selected picture (control 1021)
// and the player of the selected sound clip (hosted in control 1027).
#pragma once

#include "platform/win32.h"

// Draws the selected picture entry stretched over the whole thumbnail window. A missing file is
// told in a box and leaves the old thumbnail; a file that does not decode leaves it blank.
void DrawThumbnail(HWND dialog, HWND thumbnail);
// Sets up the sound-clip player in control 1027. The caller marks it active, whatever came of it.
void CreateClipPreview(HWND dialog);
// Hands the selected sound-clip entry to the player.
void LoadClipPreview(HWND dialog);
// Destroys the player and shuts its client down, as far as they were made.
void DestroyClipPreview(HWND dialog);

// The dialog's answers to the player library's calls: each hands its own name to the player's
// status scan and returns what that returned.
LONG GoToURLCallback(LPCSTR info);
LONG ClipOpenedCallback(LPCSTR info);
LONG PrefsChangedCallback(LPCSTR info);
