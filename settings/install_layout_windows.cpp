#include "settings/install_layout.h"

#include <cstdio>

#include "platform/win32.h"

const char SongPlayerFileName[] = "tavrinra.exe";

bool JoinPath(char* path, int size, const char* folder, const char* name) {
  const int written = std::snprintf(path, static_cast<unsigned>(size), "%s\\%s", folder, name);
  if (written >= 0 && written < size) return true;
  path[0] = '\0';
  return false;
}

// The installer records its folder, which holds the help page and the sample pictures and clips,
// for every user of the machine; a saver that was copied by hand looks in its own folder.
void DefaultInstallPath(char* path, int size) {
  path[0] = '\0';
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Dravelin\\Tavrin", 0, KEY_QUERY_VALUE, &key) ==
      ERROR_SUCCESS) {
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(size);
    const LSTATUS status =
        RegQueryValueExA(key, "InstallDir", nullptr, &type, reinterpret_cast<BYTE*>(path), &bytes);
    RegCloseKey(key);
    // Stored text need not end with a NUL; text that fills the buffer without one is too long.
    if (status == ERROR_SUCCESS && type == REG_SZ && bytes > 0 && bytes <= DWORD(size)) {
      if (path[bytes - 1] == '\0') return;
      if (bytes < DWORD(size)) {
        path[bytes] = '\0';
        return;
      }
    }
    path[0] = '\0';
  }
  const DWORD length = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(size));
  if (length == 0 || length >= static_cast<DWORD>(size)) {
    path[0] = '\0';
    return;
  }
  for (DWORD i = length; i > 0; --i) {
    if (path[i - 1] == '\\' || path[i - 1] == '/') {
      path[i - 1] = '\0';
      return;
    }
  }
  path[0] = '\0';
}
