// The two playlist editors of the configuration dialog: the picture list (1010) and the
// sound-clip list (1024), each entry "base name TAB full path". The lists are the editors'
// whole store until OK saves them.
#pragma once

#include "platform/win32.h"
#include "settings/read_setting.h"

// An entry holds a path's base name, a TAB and the path: twice a path always holds it.
inline constexpr int PlaylistEntrySize = 2 * SettingTextSize;

// Fills a list from its stored playlist ("P%d" or "S%d" under "The Gig", as many as the stored
// count says), skipping empty entries, and sets the editor's entry count.
void FillPlaylistBox(HWND dialog, int list);
// "Browse ...": appends the files the user picks and selects the last one. A path too long for
// a setting is refused with a message, never cut.
void AddPlaylistFiles(HWND dialog, int list);
// "Remove": deletes the selected entry; the previews follow the new selection, or go when the
// list is empty.
void RemovePlaylistEntry(HWND dialog, int list);
// The order arrows: moves the selected entry one place, cyclically; only delta's sign counts.
void MovePlaylistEntry(HWND dialog, int list, int delta, int entryCount);
// OK: writes both lists back to the store, renumbered from 0; an empty list writes nothing.
void SavePlaylists(HWND dialog);

// The full path of the list's selected entry into `path` (SettingTextSize bytes); false when
// nothing is selected.
bool SelectedEntryPath(HWND dialog, int list, char* path);

// The base name of a path (no folder, no extension) into `baseName` (SettingTextSize bytes),
// for display: a TAB in it shows as a space.
void PlaylistBaseName(const char* path, char* baseName);
