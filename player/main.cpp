// The tavrinra program: one player per session, a backend for its hidden window, then WinMain.
#include <cstdlib>

#include "platform/program_information.h"
#include "platform/qt/qt_message_box.h"
#include "platform/win32.h"
#include "platform/x11/x11_backend.h"
#include "player/quiet_backend.h"
#include "player/session_lock.h"
#include "player/song_player.h"
#include "player/usage.h"

namespace {

bool DisplayNamed() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

}  // namespace

int main(int argc, char** argv) {
  // Asked for usage or version, the player neither takes the session's lock nor plays. Any other
  // argument is ignored: the saver starts it with none.
  if (const auto answered =
          platform::AnswerInformationRequest(argc, argv, "tavrinra", SongPlayerUsage)) {
    return *answered;
  }
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
