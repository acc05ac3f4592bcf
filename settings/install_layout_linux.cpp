#include "settings/install_layout.h"

#include <cstdio>

// The system directory is the folder of the tavrin program, which has the player beside it.
const char SongPlayerFileName[] = "tavrinra";

bool JoinPath(char* path, int size, const char* folder, const char* name) {
  const int written = std::snprintf(path, static_cast<unsigned>(size), "%s/%s", folder, name);
  if (written >= 0 && written < size) return true;
  path[0] = '\0';
  return false;
}

// The installed data folder, which holds the help page and the sample pictures and clips.
void DefaultInstallPath(char* path, int size) {
  const int written = std::snprintf(path, static_cast<unsigned>(size), "%s", TAVRIN_DATA_DIR);
  if (written < 0 || written >= size) path[0] = '\0';
}
