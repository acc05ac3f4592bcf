// The hidden window's procedure: reading the playlist settings and starting the first clip when
// the window is created, releasing the engine when it is destroyed.
#include "libs/raengine/raengine.h"
#include "player/song_player.h"
#include "settings/read_setting.h"

namespace {

constexpr char SettingsSubKey[] = "Settings";
constexpr char PlaylistSubKey[] = "The Gig";

void ReadPlayerSettings(HWND window) {
  char text[SettingTextSize];
  PlayerState.ClipCount = 0;
  ReadSetting(window, PlaylistSubKey, "Songs", text);
  ParseSettingNumber(text, &PlayerState.ClipCount);

  PlayerState.RandomOrder = FALSE;
  ReadSetting(window, SettingsSubKey, "RandomSongs", text);
  if (text[0] == '1' && text[1] == '\0') PlayerState.RandomOrder = TRUE;

  PlayerState.Pause = DefaultPauseSeconds;
  ReadSetting(window, SettingsSubKey, "EffectDelay", text);
  ParseSettingNumber(text, &PlayerState.Pause);
}

void OnCreate(HWND window) {
  ReadPlayerSettings(window);
  SetUpEngine(window);
  // The first clip is always S0, in random order too.
  PlayerState.CurrentIndex = 0;
  if (PlayEntry(window) == 0) {
    BeginPlayback();
    return;
  }
  // Nothing to play: end the program the ordinary way, through WM_DESTROY.
  DestroyWindow(window);
}

void OnDestroy() {
  RaSetVolume(PlayerState.EngineInstance, 0);
  RaClose(PlayerState.EngineInstance);
  RaShutdown(PlayerState.EngineInstance);
  PlayerState.EngineInstance = 0;
  PostQuitMessage(0);
}

}  // namespace

extern "C" LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case EngineNotifyMessage:
      OnEngineNotify(window, wParam, lParam);
      return 0;
    default:
      return DefWindowProc(window, message, wParam, lParam);
  }
}
