#include "libs/raui/clip_player.h"

#include "libs/raengine/raengine.h"

namespace raui {

ClipPlayer::ClipPlayer() {
  const HINSTANCE client = nullptr;
  if (RaSetup(&client, &engine_, 0) != RA_OK) engine_ = 0;
}

ClipPlayer::~ClipPlayer() {
  Shutdown();
}

void ClipPlayer::Shutdown() {
  if (engine_ != 0) RaShutdown(engine_);
  engine_ = 0;
  state_ = PlayState::Empty;
}

LONG ClipPlayer::Open(const char* path) {
  state_ = PlayState::Empty;
  if (engine_ == 0) return RA_E_BAD_INSTANCE;
  RaClose(engine_);
  const LONG result = RaOpen(engine_, 0, path, 1, 0);
  if (result == RA_OK) state_ = PlayState::Stopped;
  return result;
}

void ClipPlayer::PlayOrPause() {
  if (state_ == PlayState::Playing) {
    RaPause(engine_, TRUE);
    state_ = PlayState::Paused;
  } else {
    Play();
  }
}

void ClipPlayer::Play() {
  if (state_ == PlayState::Empty) return;
  // A stopped clip is paused at its start, or waits for RaBegin after it ended: both calls
  // are needed, and each does nothing where the other acts.
  RaPause(engine_, FALSE);
  RaBegin(engine_);
  state_ = PlayState::Playing;
}

void ClipPlayer::Stop() {
  if (state_ == PlayState::Empty) return;
  RaPause(engine_, TRUE);
  RaSeek(engine_, 0);
  state_ = PlayState::Stopped;
}

void ClipPlayer::Seek(LONG milliseconds) {
  if (state_ == PlayState::Empty) return;
  RaSeek(engine_, milliseconds);
  // Sought past the end of an ended clip, the engine waits for RaBegin again.
  if (state_ == PlayState::Playing) RaBegin(engine_);
}

void ClipPlayer::Refresh() {
  if (state_ != PlayState::Playing) return;
  LONG played = 0;
  LONG length = 0;
  if (RaGetPosition(engine_, &played, &length) != RA_OK || played < length) return;
  Stop();
}

LONG ClipPlayer::PlayedMs() const {
  LONG played = 0;
  if (state_ != PlayState::Empty) RaGetPosition(engine_, &played, nullptr);
  return played;
}

LONG ClipPlayer::LengthMs() const {
  LONG length = 0;
  if (state_ != PlayState::Empty) RaGetPosition(engine_, nullptr, &length);
  return length;
}

}  // namespace raui
