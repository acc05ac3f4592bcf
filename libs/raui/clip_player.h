// One clip played through an engine instance of its own: the state the player's buttons and
// slider show, kept in step with the engine. The sound device is open only while the clip plays.
#pragma once

#include "platform/win32.h"

namespace raui {

enum class PlayState {
  Empty,    // no clip open
  Stopped,  // at the start, waiting for play
  Playing,
  Paused,
};

class ClipPlayer {
 public:
  ClipPlayer();
  ~ClipPlayer();
  ClipPlayer(const ClipPlayer&) = delete;
  ClipPlayer& operator=(const ClipPlayer&) = delete;

  // Stops and drops the open clip, then opens `path`; the engine's RA_ code (Empty on failure).
  LONG Open(const char* path);
  // The engine's RA_ code of a play that could not start (no sound device); the clip then stays
  // as it was. RA_OK for a pause, and without a clip.
  LONG PlayOrPause();
  LONG Play();
  // Back to the start, silent.
  void Stop();
  void Seek(LONG milliseconds);
  // A clip that has played to its end goes back to Stopped at its start.
  void Refresh();
  // Ends the engine instance (its device and thread); the player stays Empty afterwards.
  void Shutdown();

  PlayState State() const { return state_; }
  LONG PlayedMs() const;
  LONG LengthMs() const;

 private:
  LONG engine_ = 0;
  PlayState state_ = PlayState::Empty;
};

}  // namespace raui
