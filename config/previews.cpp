// The previews. Decoding the thumbnail and hosting the clip player come with the previews' own
// work; until then the dialog calls them where they belong and they draw and play nothing.
#include "config/previews.h"

// Decoding the selected picture and stretching it onto the thumbnail comes with the previews.
void DrawThumbnail(HWND /*dialog*/, HWND /*thumbnail*/) {}

// Setting up the clip player's client and UI object comes with the previews.
void CreateClipPreview(HWND /*dialog*/) {}

// Handing the selected clip's path to the player comes with the previews.
void LoadClipPreview(HWND /*dialog*/) {}

// Destroying the UI object and shutting the client down comes with the previews.
void DestroyClipPreview(HWND /*dialog*/) {}
