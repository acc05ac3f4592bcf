// What tests may see and do of the players that exist: their state, the user's play button for
// a player that works unseen, and how many clients and players are alive.
#pragma once

#include <optional>
#include <string>

#include "libs/raui/clip_player.h"
#include "platform/win32.h"

namespace raui {

struct PlayerProbe {
  bool shown = false;  // has widgets
  PlayState state = PlayState::Empty;
  std::string name;
  std::string status;
  LONG playedMs = 0;
  LONG lengthMs = 0;
};

// The player of UI object `ui` as it stands now (a clip that has ended is seen as stopped);
// nothing for an unknown handle.
std::optional<PlayerProbe> ProbePlayer(DWORD ui);

// Presses play/pause as the user would. False for an unknown handle.
bool PressPlay(DWORD ui);

int LiveClients();
int LivePlayers();

}  // namespace raui
