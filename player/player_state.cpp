#include "player/song_player.h"

PlayerStateRecord PlayerState = {nullptr, 0, 0, FALSE, DefaultPauseSeconds, 0};
