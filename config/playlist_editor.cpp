// The playlist editors. Each list box is its editor's whole store while the dialog is open: an
// entry's text carries the full path after its first TAB, and OK writes the lists back.
#include "config/playlist_editor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "config/config_dialog.h"
#include "config/previews.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace {

// Tab stops of both lists, in the dialog base width's quarters.
constexpr int FirstTabStop = 70;
constexpr int SecondTabStop = 100;

// Room for several hundred files of the longest paths chosen at once, so that a real selection
// is never cut; one that still does not fit is told, not dropped.
constexpr DWORD ChooserBufferSize = 400 * SettingTextSize;
char ChooserFiles[ChooserBufferSize];
char ChooserTitle[512];

// Filter lists: the patterns of a kind also take its other spellings, and the picture library
// reads PNG and WebP as well.
constexpr char PictureFilters[] =
    "JPEG (*.jpg)\0*.jpg;*.jpeg\0"
    "Windows Bitmap (*.bmp)\0*.bmp\0"
    "CompuServe GIF (*.gif)\0*.gif\0"
    "Tagged Image File (*.tif)\0*.tif;*.tiff\0"
    "ZSoft Paintbrush (*.pcx)\0*.pcx\0"
    "PNG and WebP (*.png, *.webp)\0*.png;*.webp\0";
constexpr char ClipFilters[] = "RealAudio (*.ra)\0*.ra\0";
constexpr char ChooserCaption[] = "Tavrin Screen Saver - Select file to add";
constexpr char TooManyFiles[] =
    "So many files were chosen at once that their names do not fit. Please add them in smaller "
    "groups.";
constexpr char PathTooLong[] =
    "A file was not added: its path is longer than the system allows for a playlist entry.";

bool IsPictureList(int list) {
  return list == IDC_PICTURE_LIST;
}

int& EntryCount(int list) {
  return IsPictureList(list) ? ConfigDialogState.PictureEntryCount
                             : ConfigDialogState.ClipEntryCount;
}

void Tell(HWND dialog, const char* text) {
  MessageBox(dialog, text, "Tavrin", MB_OK | MB_ICONEXCLAMATION);
}

// Appends "base name TAB full path"; `path` fits a setting, so its entry always fits.
void AppendEntry(HWND dialog, int list, const char* path) {
  char baseName[SettingTextSize];
  PlaylistBaseName(path, baseName);
  char entry[PlaylistEntrySize];
  std::snprintf(entry, sizeof entry, "%s\t%s", baseName, path);
  SendDlgItemMessage(dialog, list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
}

// The text of entry `index` into `entry` (PlaylistEntrySize bytes); false when there is none.
bool EntryText(HWND dialog, int list, int index, char* entry) {
  const LRESULT length = SendDlgItemMessage(dialog, list, LB_GETTEXTLEN, index, 0);
  if (length < 0 || length >= PlaylistEntrySize) return false;
  return SendDlgItemMessage(dialog, list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(entry)) !=
         LB_ERR;
}

// The chosen files' folder into BrowseFolder, ending in one '/'; false when it does not fit.
bool TakeBrowseFolder(std::size_t nameOffset, bool several) {
  char* folder = ConfigDialogState.BrowseFolder;
  // In the form for several files the folder's own NUL comes before the first name.
  std::size_t length = several ? nameOffset - 1 : nameOffset;
  if (length + 2 > sizeof ConfigDialogState.BrowseFolder) return false;
  std::memcpy(folder, ChooserFiles, length);
  // A folder such as the root that already ends in '/' gets no second one.
  if (several && (length == 0 || folder[length - 1] != '/')) folder[length++] = '/';
  folder[length] = '\0';
  return true;
}

// Writes "<letter>0", ... and the count value.
void SaveList(HWND dialog, int list, char letter, const char* countName) {
  const LRESULT count = SendDlgItemMessage(dialog, list, LB_GETCOUNT, 0, 0);
  // An emptied list keeps the stored playlist as it was.
  if (count <= 0) return;
  int written = 0;
  for (int i = 0; i < count; ++i) {
    char entry[PlaylistEntrySize];
    if (!EntryText(dialog, list, i, entry)) continue;
    // The base name shows TABs as spaces, so the first TAB is always the one before the path.
    const char* tab = std::strchr(entry, '\t');
    if (tab == nullptr) continue;
    char name[SettingTextSize];
    std::snprintf(name, sizeof name, "%c%d", letter, written);
    WriteSetting(dialog, "The Gig", name, tab + 1);
    ++written;
  }
  if (written == 0) return;
  char text[SettingTextSize];
  std::snprintf(text, sizeof text, "%d", written);
  WriteSetting(dialog, "The Gig", countName, text);
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
  // Only for the eye: a TAB of its own would be taken for the one that starts the path.
  std::replace(baseName, baseName + length, '\t', ' ');
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
    AppendEntry(dialog, list, path);
    ++entries;
  }
  EntryCount(list) = entries;
}

void AddPlaylistFiles(HWND dialog, int list) {
  const bool pictures = IsPictureList(list);
  ConfigDialogState.BrowseFolder[0] = '\0';
  ChooserFiles[0] = '\0';
  OPENFILENAME request{};
  request.lStructSize = OPENFILENAME_SIZE_VERSION_400;
  request.hwndOwner = dialog;
  request.lpstrFilter = pictures ? PictureFilters : ClipFilters;
  request.lpstrFile = ChooserFiles;
  request.nMaxFile = ChooserBufferSize;
  request.lpstrFileTitle = ChooserTitle;
  request.nMaxFileTitle = sizeof ChooserTitle;
  request.lpstrInitialDir = SaverSettings.InstallPath;
  request.lpstrTitle = ChooserCaption;
  request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
  request.lpstrDefExt = pictures ? "jpg" : "ra";
  if (GetOpenFileName(&request) == FALSE) {
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) Tell(dialog, TooManyFiles);
    return;
  }

  const std::size_t first = request.nFileOffset;
  const bool several = first > 0 && ChooserFiles[first - 1] == '\0';
  if (!TakeBrowseFolder(first, several)) {
    Tell(dialog, PathTooLong);
    return;
  }
  int& count = EntryCount(list);
  bool refused = false;
  for (std::size_t at = first; at < ChooserBufferSize && ChooserFiles[at] != '\0';) {
    const char* name = ChooserFiles + at;
    const char* end = ChooserFiles + ChooserBufferSize;
    const auto length = static_cast<std::size_t>(std::find(name, end, '\0') - name);
    char path[SettingTextSize];
    const int joined =
        std::snprintf(path, sizeof path, "%s%s", ConfigDialogState.BrowseFolder, name);
    // A path cut to fit would name another file.
    if (at + length >= ChooserBufferSize || joined < 0 || joined >= SettingTextSize) {
      refused = true;
    } else {
      AppendEntry(dialog, list, path);
      ++count;
      SendDlgItemMessage(dialog, list, LB_SETCURSEL, count - 1, 0);
    }
    if (!several) break;
    at += length + 1;
  }
  if (refused) Tell(dialog, PathTooLong);
  // As if the user had picked the new entry: the preview follows it.
  SendMessage(dialog, WM_COMMAND, static_cast<WPARAM>(MAKELONG(list, LBN_SELCHANGE)),
              reinterpret_cast<LPARAM>(GetDlgItem(dialog, list)));
}

bool SelectedEntryPath(HWND dialog, int list, char* path) {
  const LRESULT selected = SendDlgItemMessage(dialog, list, LB_GETCURSEL, 0, 0);
  if (selected < 0) return false;
  char entry[PlaylistEntrySize];
  if (!EntryText(dialog, list, static_cast<int>(selected), entry)) return false;
  const char* tab = std::strchr(entry, '\t');
  if (tab == nullptr || std::strlen(tab + 1) >= SettingTextSize) return false;
  std::memcpy(path, tab + 1, std::strlen(tab + 1) + 1);
  return true;
}

void RemovePlaylistEntry(HWND dialog, int list) {
  const LRESULT count = SendDlgItemMessage(dialog, list, LB_GETCOUNT, 0, 0);
  const LRESULT selected = SendDlgItemMessage(dialog, list, LB_GETCURSEL, 0, 0);
  if (count > 0 && (selected < 0 || selected >= count)) return;
  const bool pictures = IsPictureList(list);
  if (count > 0) SendDlgItemMessage(dialog, list, LB_DELETESTRING, selected, 0);
  const auto left = static_cast<int>(std::max<LRESULT>(count - 1, 0));
  EntryCount(list) = left;

  if (left > 0) {
    SendDlgItemMessage(dialog, list, LB_SETCURSEL, std::min<LRESULT>(selected, left - 1), 0);
    if (!pictures) {
      // Whether or not "Sound Clips" is ticked.
      StartClipPreview(dialog);
    } else if (IsDlgButtonChecked(dialog, IDC_PREVIEW) == BST_CHECKED) {
      ShowWindow(ConfigDialogState.ThumbnailWindow, SW_SHOW);
      DrawThumbnail(dialog, ConfigDialogState.ThumbnailWindow);
    }
    return;
  }
  if (pictures) {
    ShowWindow(ConfigDialogState.ThumbnailWindow, SW_HIDE);
    Tell(dialog, "No more images to be deleted !");
  } else {
    EndClipPreview(dialog);
    BlankClipPlayerArea(dialog);
    Tell(dialog, "No more songs to be deleted !");
  }
}

void MovePlaylistEntry(HWND dialog, int list, int delta, int entryCount) {
  const LRESULT selected = SendDlgItemMessage(dialog, list, LB_GETCURSEL, 0, 0);
  if (entryCount <= 0 || selected < 0 || selected >= entryCount) return;
  char entry[PlaylistEntrySize];
  if (!EntryText(dialog, list, static_cast<int>(selected), entry)) return;
  const auto s = static_cast<int>(selected);
  // The copy goes in first and the old place goes after, so that the entry is never missing.
  int insertAt = 0;
  int deleteAt = 0;
  int endsAt = 0;
  if (delta >= 1) {
    const bool last = s == entryCount - 1;
    insertAt = last ? 0 : s + 2;
    deleteAt = last ? s + 1 : s;
    endsAt = last ? 0 : s + 1;
  } else {
    const bool top = s == 0;
    insertAt = top ? entryCount : s - 1;
    deleteAt = top ? 0 : s + 1;
    endsAt = top ? entryCount - 1 : s - 1;
  }
  SendDlgItemMessage(dialog, list, LB_INSERTSTRING, insertAt, reinterpret_cast<LPARAM>(entry));
  SendDlgItemMessage(dialog, list, LB_DELETESTRING, deleteAt, 0);
  SendDlgItemMessage(dialog, list, LB_SETCURSEL, endsAt, 0);
}

void SavePlaylists(HWND dialog) {
  SaveList(dialog, IDC_PICTURE_LIST, 'P', "Images");
  SaveList(dialog, IDC_CLIP_LIST, 'S', "Songs");
}
