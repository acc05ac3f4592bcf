// The player as the user sees it: widgets inside a window of the dialog. Qt-free, so that the
// calls' side never sees Qt's headers.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "libs/raui/clip_player.h"
#include "platform/win32.h"

namespace raui {

// What the player shows.
struct PlayerDisplay {
  std::string name;    // the clip's file name; empty before a source
  std::string status;  // why the clip cannot play, or its state
  PlayState state = PlayState::Empty;
  LONG playedMs = 0;
  LONG lengthMs = 0;
};

// Which parts show (RAGUI_CONTROL_ flags) and whether the buttons carry text labels.
struct PlayerLayout {
  DWORD controls = 0;
  bool noLabels = false;
};

// The user's doings, and the tick that follows a playing clip.
struct PlayerActions {
  std::function<void()> playOrPause;
  std::function<void()> stop;
  std::function<void(LONG milliseconds)> seek;
  std::function<void()> tick;
  // The host went away before the player (its dialog ended first): the sound stops.
  std::function<void()> hostGone;
};

class PlayerView {
 public:
  virtual ~PlayerView() = default;
  // Shows `display`; the tick runs while its state is Playing, and only then.
  virtual void Show(const PlayerDisplay& display) = 0;
  virtual void Arrange(const PlayerLayout& layout) = 0;
};

// The player's widgets inside the widget that shows `window`, following its size; removed again
// with the view. Null when that window has no widget or Qt is not this thread's: the player then
// works unseen.
std::unique_ptr<PlayerView> MakeWidgetView(HWND window, const PlayerLayout& layout,
                                           PlayerActions actions);

}  // namespace raui
