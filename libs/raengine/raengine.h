// The RealAudio playback engine ("pnen3230.dll"): the Ra... calls of the song player.
//
// An engine instance plays one clip at a time through SDL2 audio; clips are decoded with FFmpeg
// (RealAudio .ra in the RealMedia container or the old ".ra\xfd" form, and whatever else FFmpeg
// reads). Every call returning LONG returns an error code: 0 success, above 0 a failure whose text
// RaGetErrorText gives. Calls are made from one thread (the caller's); the engine plays and posts
// its notification from a thread of its own.
#pragma once

#include "platform/win32.h"

// Error codes (results above 0 are failures).
#define RA_OK 0
#define RA_E_BAD_INSTANCE 1      // no engine instance with that handle
#define RA_E_INVALID_ARGUMENT 2  // null pointer, size too small, and the like
#define RA_E_FILE_OPEN 3         // the clip file cannot be opened or read
#define RA_E_NO_AUDIO_STREAM 4   // the file holds no audio stream
#define RA_E_DECODE 5            // no sound could be decoded from the file
#define RA_E_NO_DEVICE 6         // no sound output device could be opened
#define RA_E_CLIP_TOO_LONG 7     // a whole-clip decode would exceed its limit (RaOpen: never)
#define RA_E_NO_CLIP 8           // RaBegin without an open clip
#define RA_E_OUT_OF_MEMORY 9

// Notification. The engine posts (PostMessage) the message registered with RaRegisterNotifyWnd to
// the registered window with wParam = the engine instance handle and lParam = a pointer to a
// RaNotifyRecord. The record lives for the whole life of the process, so it may be read whenever
// the message is dispatched, even after RaClose or RaShutdown.
struct RaNotifyRecord {
  LONG kind;
  LONG detail;
};
#define RA_NOTIFY_PLAYBACK 4       // kind: playback of the open clip
#define RA_NOTIFY_CLIP_ENDED 10    // detail: the clip has played to its end (posted once per clip)
#define RA_NOTIFY_ALL 0xFFFFFFFFu  // mask: every notification
#define RA_VOLUME_MAX_DEFAULT 100  // volume scale before RaVolumeSupport sets one

extern "C" {

// Creates an engine instance and stores its handle (above 0) in *instance. `client` points to
// the cell holding the caller's program instance handle (only read); `reserved` is ignored.
LONG WINAPI RaSetup(const HINSTANCE* client, LONG* instance, LONG reserved);

// Registers the window that gets `message` when a notification whose kind bit (1 << kind) is set
// in `mask` occurs (0xFFFFFFFF: all). A later call replaces the earlier window; null unregisters.
LONG WINAPI RaRegisterNotifyWnd(LONG instance, HWND window, UINT message, DWORD mask);

// Accepts any locale (texts are English); fails only for an unknown instance.
LONG WINAPI RaSetClientLocale(LONG instance, LONG locale);

// Writes the client identity text "platform_version_language_distribution" into buffer (size
// bytes, always zero-terminated when size > 0); RA_E_INVALID_ARGUMENT when it had to be cut.
LONG WINAPI RaFormClientIdString(LPSTR buffer, LONG size, LPCSTR platform, LPCSTR version,
                                 LPCSTR language, LPCSTR distribution);

// Remembers the client identity text (copied); fails only for an unknown instance or null text.
LONG WINAPI RaSetClientId(LONG instance, LPCSTR id);

// Sets the volume scale to 0..maxVolume (above 0) and the volume to its top. 0 on success.
LONG WINAPI RaVolumeSupport(LONG instance, LONG maxVolume);

// Whether the instance holds its output device between plays. Held (the default, for a run of
// clips): RaOpen opens the device and it stays open for the next clips of the same format, the
// pauses between them included, until RaShutdown. Not held (for a player the user drives): the
// device is open only while the clip sounds; RaBegin, or RaPause resuming, opens it
// (RA_E_NO_DEVICE when there is none, and the clip keeps waiting), and pausing, seeking a clip
// back to wait for RaBegin, RaClose and RaOpen close it; after the clip's end it closes at the
// instance's next call (RaGetPosition included).
LONG WINAPI RaSetDeviceHold(LONG instance, BOOL hold);

// Opens the clip at `path`, closing any clip already open, and decodes its first second (so a
// file that gives no sound fails here); the rest is decoded as it plays, whatever its length. The
// clip waits for RaBegin. `flags`, `mode` and `reserved` are accepted and ignored (the player
// passes 0, 1, 0). A held device opens on first use (RA_E_NO_DEVICE when there is none).
LONG WINAPI RaOpen(LONG instance, LONG flags, LPCSTR path, LONG mode, LONG reserved);

// Starts the open clip. On a clip already playing or already ended it does nothing and returns
// 0 (so a clip never plays or notifies twice). RA_E_NO_CLIP without an open clip; RA_E_NO_DEVICE
// when a device that is not held cannot open.
LONG WINAPI RaBegin(LONG instance);

// Stops and drops the open clip; no notification follows for it. 0 when nothing is open.
LONG WINAPI RaClose(LONG instance);

// Sets the volume, clamped to 0..the scale of RaVolumeSupport; applies at once.
LONG WINAPI RaSetVolume(LONG instance, LONG volume);

// Pauses (nonzero) or resumes (0) the open clip: while paused the output is silent (or, when
// the device is not held, closed) and the clip keeps its place. RaOpen and RaClose clear the
// pause. RA_E_NO_CLIP without an open clip; RA_E_NO_DEVICE, still paused, when a device that is
// not held cannot open.
LONG WINAPI RaPause(LONG instance, BOOL paused);

// Moves the open clip to `milliseconds` from its start (clamped to the clip). A clip that had
// played to its end waits for RaBegin again, and notifies again when it ends anew.
// RA_E_NO_CLIP without an open clip.
LONG WINAPI RaSeek(LONG instance, LONG milliseconds);

// The open clip's place: what has gone to the output, and its whole length, in milliseconds.
// Both are 0 and the result RA_E_NO_CLIP without an open clip; either pointer may be null.
LONG WINAPI RaGetPosition(LONG instance, LONG* playedMs, LONG* lengthMs);

// Closes the clip, the output device and the decoder, ends the engine's threads and forgets the
// instance; the handle is invalid afterwards.
LONG WINAPI RaShutdown(LONG instance);

// The text for an error code (a static English text; "Unknown error" for unknown codes).
LPCSTR WINAPI RaGetErrorText(LONG code);

}  // extern "C"
