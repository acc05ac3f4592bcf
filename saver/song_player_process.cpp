#include "saver/song_player_process.h"

#include <cstdio>
#include <cstring>

#include "saver/slide_show.h"
#include "settings/install_layout.h"
#include "settings/settings.h"

void StartSongPlayer() {
  SlideShow.PlayerStarted = FALSE;
  if (SaverSettings.SongCount == 0) return;
  if (SaverSettings.PlaySongs == FALSE && SaverSettings.RandomSongs == FALSE) return;

  char folder[SettingTextSize];
  const UINT length = GetSystemDirectory(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return;
  char program[SettingTextSize];
  // A path that does not fit would start some other program: start none.
  if (!JoinPath(program, sizeof program, folder, SongPlayerFileName)) return;

  std::memset(&SlideShow.PlayerStartup, 0, sizeof SlideShow.PlayerStartup);
  SlideShow.PlayerStartup.cb = sizeof SlideShow.PlayerStartup;
  std::memset(&SlideShow.PlayerProcess, 0, sizeof SlideShow.PlayerProcess);
  if (CreateProcess(program, nullptr, nullptr, nullptr, FALSE,
                    DETACHED_PROCESS | NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                    &SlideShow.PlayerStartup, &SlideShow.PlayerProcess) == FALSE) {
    return;
  }
  // Only the process handle is needed to end the player.
  CloseHandle(SlideShow.PlayerProcess.hThread);
  SlideShow.PlayerProcess.hThread = nullptr;
  SlideShow.PlayerStarted = TRUE;
}

void StopSongPlayer() {
  if (SlideShow.PlayerStarted == FALSE) return;
  TerminateProcess(SlideShow.PlayerProcess.hProcess, 0);
  CloseHandle(SlideShow.PlayerProcess.hProcess);
  SlideShow.PlayerProcess.hProcess = nullptr;
  SlideShow.PlayerStarted = FALSE;
}
