// Where this platform keeps the files the saver module looks for: the song player in the system
// directory, the help page in the installation folder, and that folder when none is stored.
#pragma once

extern const char SongPlayerFileName[];
inline constexpr char HelpFileName[] = "Tavrin.html";

// `folder` and `name` joined with this platform's separator, into `path` (`size` bytes). A path
// that does not fit would name some other file: false then, and `path` holds empty text.
bool JoinPath(char* path, int size, const char* folder, const char* name);

// The installation folder when "ScreenSaverPath" is not stored, into `path` (`size` bytes); empty
// text when it is not known or does not fit.
void DefaultInstallPath(char* path, int size);
