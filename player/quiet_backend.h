// A backend for a process with no display: the song player plays sound on a machine without X.
#pragma once

namespace player_glue {

// Installs a backend whose windows are never shown: a real clock, a screen of size 0, no input,
// and a message wait that wakes only for posted messages and timers.
void InstallQuietBackend();

}  // namespace player_glue
