#include "platform/user/chooser_folder.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>

namespace platform::user {
namespace {

std::mutex mutex;
std::string firstAsked;  // the folder the program asked for the first time
bool asked = false;
std::string lastChosen;

bool IsFolder(const std::string& path) {
  struct stat status {};
  return !path.empty() && stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string Home() {
  const char* home = std::getenv("HOME");
  return home != nullptr && home[0] == '/' ? std::string(home) : std::string("/");
}

// The value of a user-dirs.dirs line `XDG_PICTURES_DIR="$HOME/Pictures"`: a quoted path, either
// absolute or starting with $HOME/, as xdg-user-dirs writes it.
std::string ParseUserDir(std::string_view line) {
  constexpr std::string_view kKey = "XDG_PICTURES_DIR=";
  if (!line.starts_with(kKey)) return {};
  std::string_view value = line.substr(kKey.size());
  if (value.size() < 2 || value.front() != '"') return {};
  value.remove_prefix(1);
  const std::size_t quote = value.find('"');
  if (quote == std::string_view::npos) return {};
  value = value.substr(0, quote);
  if (value.starts_with("$HOME/")) return Home() + std::string(value.substr(5));
  if (value == "$HOME") return Home();
  return value.starts_with('/') ? std::string(value) : std::string();
}

}  // namespace

std::string PicturesFolder() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  const std::string config =
      configHome != nullptr && configHome[0] == '/' ? std::string(configHome) : Home() + "/.config";
  std::ifstream dirs(config + "/user-dirs.dirs");
  for (std::string line; std::getline(dirs, line);) {
    std::string folder = ParseUserDir(line);
    if (IsFolder(folder)) return folder;
  }
  return Home();
}

std::string ChooserStartFolder(const std::string& folder) {
  std::string start = folder;
  {
    const std::scoped_lock lock(mutex);
    if (!asked) {
      asked = true;
      firstAsked = folder;
    } else if (folder == firstAsked && !lastChosen.empty()) {
      start = lastChosen;
    }
  }
  if (IsFolder(start)) return start;
  return PicturesFolder();
}

void ForgetChooserFolders() {
  const std::scoped_lock lock(mutex);
  asked = false;
  firstAsked.clear();
  lastChosen.clear();
}

void NoteChosenFolder(const std::string& folder) {
  const std::scoped_lock lock(mutex);
  lastChosen = folder;
}

}  // namespace platform::user
