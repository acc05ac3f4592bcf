// The playlist editors. Adding, removing, moving and saving come with the editors' own work;
// filling the lists at opening is here already.
#include "config/playlist_editor.h"

#include <cstdio>
#include <cstring>

#include "config/config_dialog.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace {

// Tab stops of both lists, in the dialog base width's quarters.
constexpr int FirstTabStop = 70;
constexpr int SecondTabStop = 100;

bool IsPictureList(int list) {
  return list == IDC_PICTURE_LIST;
}

}  // namespace

void PlaylistBaseName(const char* path, char* baseName) {
  const char* start = path;
  if (start[0] != '\0' && start[1] == ':') start += 2;
  for (const char* at = start; *at != '\0'; ++at) {
    if (*at == '\\' || *at == '/') start = at + 1;
  }
  const char* end = std::strrchr(start, '.');
  if (end == nullptr) end = start + std::strlen(start);
  const auto length = static_cast<std::size_t>(end - start);
  // The base name is part of the path, which fits a setting buffer.
  std::memcpy(baseName, start, length);
  baseName[length] = '\0';
}

void FillPlaylistBox(HWND dialog, int list) {
  const int base = LOWORD(GetDialogBaseUnits());
  int tabStops[2] = {(FirstTabStop * base) / 4, (SecondTabStop * base) / 4};
  SendDlgItemMessage(dialog, list, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(tabStops));

  const bool pictures = IsPictureList(list);
  const int stored = pictures ? SaverSettings.PictureCount : SaverSettings.SongCount;
  int entries = 0;
  for (int i = 0; i < stored; ++i) {
    char name[SettingTextSize];
    std::snprintf(name, sizeof name, pictures ? "P%d" : "S%d", i);
    char path[SettingTextSize];
    ReadSetting(dialog, "The Gig", name, path);
    if (path[0] == '\0') continue;
    char baseName[SettingTextSize];
    PlaylistBaseName(path, baseName);
    char entry[PlaylistEntrySize];
    std::snprintf(entry, sizeof entry, "%s\t%s", baseName, path);
    SendDlgItemMessage(dialog, list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    ++entries;
  }
  if (pictures) {
    ConfigDialogState.PictureEntryCount = entries;
  } else {
    ConfigDialogState.ClipEntryCount = entries;
  }
}

// The open-file dialog and appending its files come with the editors.
void AddPlaylistFiles(HWND /*dialog*/, int /*list*/) {}

// Deleting the selected entry and following it with the previews come with the editors.
void RemovePlaylistEntry(HWND /*dialog*/, int /*list*/) {}

// The cyclic move of the selected entry comes with the editors.
void MovePlaylistEntry(HWND /*dialog*/, int /*list*/, int /*delta*/, int /*entryCount*/) {}

// Writing "P%d", "Images", "S%d" and "Songs" comes with the editors.
void SavePlaylists(HWND /*dialog*/) {}
