// The player's conversation with the RealAudio engine: set-up, opening and beginning clips, the
// end-of-clip notification and error boxes.
#include <cstdint>
#include <cstdio>

#include "libs/raengine/raengine.h"
#include "player/song_player.h"
#include "settings/random.h"
#include "settings/read_setting.h"

namespace {

constexpr char PlaylistSubKey[] = "The Gig";
// The engine's code for a condition it reports without it being a failure the user can act on.
constexpr LONG SilentEngineCode = 57;
constexpr int ClientIdSize = 256;
constexpr int ErrorTextSize = 256;
constexpr LONG VolumeScale = 100;
// Sleep treats 0xFFFFFFFF as "forever"; a huge pause stays just short of that.
constexpr std::uint64_t LongestPauseMs = 0xFFFFFFFEULL;

int NextIndex() {
  if (PlayerState.RandomOrder == FALSE) return PlayerState.CurrentIndex + 1;
  // A player started by hand may have no clip count at all; a count below 1 would divide by 0.
  const int count = PlayerState.ClipCount > 0 ? PlayerState.ClipCount : 1;
  SeedRandom(GetTickCount() & 0xFFFF);
  int index = NextRandom() % count;
  // One retry makes a repeat unlikely, not impossible.
  if (index == PlayerState.CurrentIndex) index = NextRandom() % count;
  return index;
}

void PauseBetweenClips() {
  if (PlayerState.Pause <= 0) return;
  const std::uint64_t milliseconds = static_cast<std::uint64_t>(PlayerState.Pause) * 1000;
  Sleep(static_cast<DWORD>(milliseconds < LongestPauseMs ? milliseconds : LongestPauseMs));
}

}  // namespace

void ReportEngineError(LONG code) {
  if (code <= 0 || code == SilentEngineCode) return;
  const char* text = RaGetErrorText(code);
  char message[ErrorTextSize];
  std::snprintf(message, sizeof message, "Error #%d - %s", static_cast<int>(code),
                text != nullptr ? text : "");
  MessageBox(nullptr, message, "RealAudio Error Message", MB_OK);
}

void SetUpEngine(HWND window) {
  ReportEngineError(RaSetup(&PlayerState.Instance, &PlayerState.EngineInstance, 0));
  RaRegisterNotifyWnd(PlayerState.EngineInstance, window, EngineNotifyMessage, RA_NOTIFY_ALL);
  ReportEngineError(RaSetClientLocale(PlayerState.EngineInstance, 0));
  char clientId[ClientIdSize];
  clientId[0] = '\0';
  RaFormClientIdString(clientId, sizeof clientId, "Gen32", "1.0", "EN", "Prognet");
  ReportEngineError(RaSetClientId(PlayerState.EngineInstance, clientId));
  RaVolumeSupport(PlayerState.EngineInstance, VolumeScale);
}

int PlayEntry(HWND window) {
  char entryName[16];
  std::snprintf(entryName, sizeof entryName, "S%d", PlayerState.CurrentIndex);
  char path[SettingTextSize];
  ReadSetting(window, PlaylistSubKey, entryName, path);
  OFSTRUCT fileInfo{};
  if (path[0] == '\0' || OpenFile(path, &fileInfo, OF_EXIST) < 0) return 1;
  ReportEngineError(RaOpen(PlayerState.EngineInstance, 0, path, 1, 0));
  ReportEngineError(RaBegin(PlayerState.EngineInstance));
  return 0;
}

void BeginPlayback() {
  if (PlayerState.EngineInstance != 0) {
    RaBegin(PlayerState.EngineInstance);
    return;
  }
  MessageBox(nullptr, "No Valid Instance!", "ERROR", MB_OK);
}

void OnEngineNotify(HWND window, WPARAM /*wParam*/, LPARAM lParam) {
  // The message number is public to any sender: a message without a record is not the engine's.
  // NOLINTNEXTLINE(performance-no-int-to-ptr): lParam carries the record's address.
  const auto* record = reinterpret_cast<const RaNotifyRecord*>(lParam);
  if (record == nullptr) return;
  if (record->kind != ClipEndedKind || record->detail != ClipEndedDetail) return;

  RaClose(PlayerState.EngineInstance);
  PauseBetweenClips();
  PlayerState.CurrentIndex = NextIndex();
  if (PlayerState.CurrentIndex >= PlayerState.ClipCount) PlayerState.CurrentIndex = 0;
  // An entry that cannot be played leaves the player silent until it is ended.
  if (PlayEntry(window) == 0) BeginPlayback();
}
