#include "libs/raui/clip_player.h"

#include "libs/raengine/raengine.h"

namespace raui {

ClipPlayer::ClipPlayer() {
  const HINSTANCE client = nullptr;
  if (RaSetup(&client, &engine_, 0) != RA_OK) {
    engine_ = 0;
    return;
  }
  // A clip may wait in the dialog for as long as the dialog stays open: the device is held
  // only while it plays.
  RaSetDeviceHold(engine_, FALSE);
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

LONG ClipPlayer::PlayOrPause() {
  if (state_ != PlayState::Playing) return Play();
  RaPause(engine_, TRUE);
  state_ = PlayState::Paused;
  return RA_OK;
}

LONG ClipPlayer::Play() {
  if (state_ == PlayState::Empty) return RA_OK;
  // A stopped clip is paused at its start, or waits for RaBegin after it ended: both calls
  // are needed, and each does nothing where the other acts.
  LONG result = RaPause(engine_, FALSE);
  if (result == RA_OK) result = RaBegin(engine_);
  if (result == RA_OK) state_ = PlayState::Playing;
  return result;
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
  // Sought past the end of an ended clip, the engine waits for RaBegin again; without a device
  // to go on in, the clip waits at its new place.
  if (state_ == PlayState::Playing && RaBegin(engine_) != RA_OK) state_ = PlayState::Paused;
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
