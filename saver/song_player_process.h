// The song player, tavrinra: a separate program the slide show starts and ends.
#pragma once

// Starts the player installed beside this program when sound clips are wanted (clips in the
// playlist, and PlaySongs or RandomSongs on). A player that cannot be started is not reported:
// the show runs silently.
void StartSongPlayer();
// Ends a player this process started; it gets no other notice.
void StopSongPlayer();
