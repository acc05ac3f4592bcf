// The song player, tavrinra: plays the sound-clip playlist through the RealAudio engine while the
// slide show runs. It has one hidden window, which the engine notifies at the end of each clip;
// the saver ends the program by killing it.
#pragma once

#include "platform/win32.h"

// The message the engine posts to the player's window; lParam points to the engine's record.
constexpr UINT EngineNotifyMessage = 40029;
// The record's pair that means "the clip has ended"; every other pair is ignored.
constexpr LONG ClipEndedKind = 4;
constexpr LONG ClipEndedDetail = 10;
// Pause between two clips when "EffectDelay" is absent or not a number, in seconds.
constexpr int DefaultPauseSeconds = 6;

constexpr char PlayerClassName[] = "VUXClass";
constexpr char PlayerWindowTitle[] = "VUX - RA";

// The process-wide state of the player.
struct PlayerStateRecord {
  HINSTANCE Instance;   // the one WinMain was given
  int ClipCount;        // "The Gig"/"Songs"; 0 when absent
  int CurrentIndex;     // the playlist entry playing or last tried, from 0
  BOOL RandomOrder;     // "Settings"/"RandomSongs" is exactly "1"
  int Pause;            // seconds between two clips; none when 0 or below
  LONG EngineInstance;  // the engine's handle for this program; 0 before set-up and after shutdown
};
extern PlayerStateRecord PlayerState;

// Registers "VUXClass", creates the hidden "VUX - RA" window and runs its message loop. Returns
// the quit message's wParam, or 0 when the window cannot be made (or the first clip cannot play).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand);

// The hidden window's procedure: start-up on WM_CREATE, clean-up on WM_DESTROY, the engine's
// notification.
extern "C" LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the engine instance and registers `window` for its notifications. A failing call is
// reported and the next one is made all the same.
void SetUpEngine(HWND window);
// Opens and begins playlist entry "S<current index>". 1 when the entry is empty or names no
// file (nothing is started), else 0 whatever the engine answered (its errors are reported).
int PlayEntry(HWND window);
// Begins the open clip once more; a box "No Valid Instance!" when there is no engine instance.
void BeginPlayback();
// On the (ClipEndedKind, ClipEndedDetail) record at lParam: closes the clip, pauses, and plays
// the next entry (in order, wrapping, or at random). Anything else is ignored.
void OnEngineNotify(HWND window, WPARAM wParam, LPARAM lParam);
// Shows an engine error code in a box; 0, 57 and negative codes are not errors to the user.
void ReportEngineError(LONG code);
