// The in-dialog clip player ("pnui3230.dll"): the Ragui... calls of the configuration dialog.
//
// A client is set up once with the caller's identity and callbacks; a UI object made on it shows
// a small player (play/pause, stop, position, times, the clip's name) inside the window named by
// a ClipWindowRecord, following that window's size, and plays the clip given by RaguiSetSource
// through the RealAudio engine, holding the sound device only while the clip plays (a play that
// finds no device shows why). Every call returning LONG returns 0 on success and a value above
// 0 on failure. Calls and callbacks happen on the caller's (the dialog's) thread.
#pragma once

#include "platform/win32.h"

// Error codes (results above 0 are failures).
#define RAGUI_OK 0
#define RAGUI_E_INVALID_ARGUMENT 1  // null pointer, too small a buffer or record, and the like
#define RAGUI_E_BAD_CLIENT 2        // no client with that handle
#define RAGUI_E_BAD_UI 3            // no UI object with that handle
#define RAGUI_E_NO_WINDOW 4         // the record names no window the player can live in
#define RAGUI_E_CLIP 5              // the clip cannot be opened; the player shows why

// Controls flags of RaguiSetControlsFlags.
#define RAGUI_CONTROL_PLAY 0x100      // play/pause and stop
#define RAGUI_CONTROL_POSITION 0x200  // the position slider and the times
#define RAGUI_CONTROL_STATUS 0x400    // the clip's name and the status line

// A callback of the library; `info` is the library's (the address for GoToURL, the clip's path
// for ClipOpened, empty for the others) and may be ignored. Returns what the caller likes.
using RaguiCallback = LONG (*)(LPCSTR info);

// Names the window the player shows itself in. Only `window` is read; the rest stays zero.
struct ClipWindowRecord {
  HWND window;
  DWORD reserved[8];
};

// The client's identity and callbacks, all zero before they are filled. The library copies the
// texts; the window record must outlive every UI object set up with it.
struct ClipClientSetup {
  DWORD size;                // sizeof(ClipClientSetup)
  RaguiCallback goToUrl;     // the user followed the player's web link
  RaguiCallback buffering;   // the clip is being read ahead (a local file never is)
  RaguiCallback clipOpened;  // a clip was opened by RaguiSetSource
  ClipWindowRecord* window;  // where players of this client live by default
  LPCSTR clientId;           // the client identity text
  LPCSTR productName;        // the caller's name ("Tavrin Saver")
  LPCSTR productKind;        // "Sample Application"
  LPCSTR productVersion;     // "3.0"
  LPCSTR libraryVersion;     // "Ragui Version a.b.c.d" as the caller read it
  LPCSTR notice;             // the caller's maker's notice
  LPCSTR webAddress;         // the vendor's web address
  DWORD reserved[3];
  RaguiCallback prefsChanged;  // the user changed a preference (the volume)
};

extern "C" {

// The library's version, packed: major in the top 4 bits, minor in the next 8, release in the
// next 8, build in the low 12.
DWORD WINAPI RaguiProductVersion();

// Writes "platform/version (language; distribution)" into buffer (size bytes, always
// zero-terminated when size > 0); RAGUI_E_INVALID_ARGUMENT when it had to be cut.
LONG WINAPI RaguiFormClientIdString(LPSTR buffer, LONG size, LPCSTR platform, LPCSTR version,
                                    LPCSTR language, LPCSTR distribution);

// Sets up a client from `setup` (its size at least sizeof(ClipClientSetup)) and stores its
// handle (above 0) in *client.
LONG WINAPI RaguiSetupClient(const ClipClientSetup* setup, DWORD* client);

// Makes a UI object on the client and stores its handle (above 0) in *ui. It shows nothing
// until RaguiSetWindow.
LONG WINAPI RaguiNew(DWORD client, DWORD* ui);

// Names the player (its console); `unique` 1 asks for a name no other player shares.
LONG WINAPI RaguiSetConsoleName(DWORD ui, LPCSTR name, LONG unique);

// Which parts the player shows: an OR of the RAGUI_CONTROL_ flags.
LONG WINAPI RaguiSetControlsFlags(DWORD ui, DWORD flags);

// Nonzero hides the labels of the player's buttons (icons only).
LONG WINAPI RaguiSetNoLabels(DWORD ui, LONG noLabels);

// Puts the player into record->window and has it follow that window's size. On a platform view
// without widgets the player works unseen.
LONG WINAPI RaguiSetWindow(DWORD ui, ClipWindowRecord* record);

// Nonzero makes every new source start at once; 0 waits for the user to press play.
LONG WINAPI RaguiSetAutoStart(DWORD ui, LONG autoStart);

// Stops what played and opens the clip at `path` (a file path). A clip that cannot be opened
// shows its error in the player and gives RAGUI_E_CLIP.
LONG WINAPI RaguiSetSource(DWORD ui, LPCSTR path);

// Hands the player a status text from the caller's callbacks; returns 0.
LONG WINAPI RaguiStatusScan(DWORD ui, LPCSTR text);

// Stops the player and removes it from its window; the handle is invalid afterwards.
LONG WINAPI RaguiDestroy(DWORD ui);

// Ends the client (and any UI object still on it); the handle is invalid afterwards.
LONG WINAPI RaguiShutdownClient(DWORD client);

}  // extern "C"
