// The tavrinra program on Windows: one player per session, then WinMain. Windows itself shows
// the error boxes, so nothing more is set up.
#include "platform/win32.h"
#include "player/session_lock.h"
#include "player/song_player.h"

// MinGW's start-up calls main when the program has one, and WinMain otherwise.
int main() {
  // Another saver of this session already has a player: this one stays silent.
  if (!TakeSessionPlayerLock()) return 0;
  char noCommandLine[] = "";
  ExitProcess(
      static_cast<UINT>(WinMain(GetModuleHandle(nullptr), nullptr, noCommandLine, SW_SHOWNORMAL)));
}
