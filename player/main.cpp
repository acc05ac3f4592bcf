// The tavrinra program: one player per session, a backend for its hidden window, then WinMain.
#include <cstdlib>

#include "platform/qt/qt_message_box.h"
#include "platform/win32.h"
#include "platform/x11/x11_backend.h"
#include "player/quiet_backend.h"
#include "player/session_lock.h"
#include "player/song_player.h"

namespace {

bool DisplayNamed() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

}  // namespace

int main() {
  // Another saver of this session already has a player: this one stays silent.
  if (!TakeSessionPlayerLock()) return 0;
  // The window is never shown, but on a display the error boxes are; without one the player
  // still plays, and its boxes go to standard error.
  if (DisplayNamed() && platform::x11::Install()) {
    platform::qt::InstallMessageBox();
  } else {
    player_glue::InstallQuietBackend();
  }
  char noCommandLine[] = "";
  ExitProcess(
      static_cast<UINT>(WinMain(GetModuleHandle(nullptr), nullptr, noCommandLine, SW_SHOWNORMAL)));
}
