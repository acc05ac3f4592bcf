#include "settings/install_layout.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/win32.h"

// The system directory is the folder of the tavrin program, which has the player beside it.
const char SongPlayerFileName[] = "tavrinra";

bool JoinPath(char* path, int size, const char* folder, const char* name) {
  const int written = std::snprintf(path, static_cast<unsigned>(size), "%s/%s", folder, name);
  if (written >= 0 && written < size) return true;
  path[0] = '\0';
  return false;
}

namespace {

// PREFIX/share/tavrin for a program in PREFIX/bin, wherever PREFIX was installed or moved to (a
// build tree stages the same layout); empty when the program's folder is unknown or there is no
// such folder.
std::string DataFolderBesideProgram() {
  char programFolder[PATH_MAX];
  const UINT length = GetSystemDirectoryA(programFolder, sizeof programFolder);
  if (length == 0 || length >= sizeof programFolder) return {};
  const std::filesystem::path folder =
      std::filesystem::path(programFolder).parent_path() / "share" / "tavrin";
  std::error_code error;
  return std::filesystem::is_directory(folder, error) ? folder.string() : std::string();
}

}  // namespace

// The data folder, which holds the help page and the sample pictures and clips: the one beside
// the running program, else the one the build was configured to install.
void DefaultInstallPath(char* path, int size) {
  std::string folder = DataFolderBesideProgram();
  if (folder.empty()) folder = TAVRIN_DATA_DIR;
  const int written = std::snprintf(path, static_cast<unsigned>(size), "%s", folder.c_str());
  if (written < 0 || written >= size) path[0] = '\0';
}
