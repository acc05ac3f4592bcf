// GetOpenFileName: the request goes to the backend's file chooser, and the chosen files come
// back in Win32's form: one full path for one file; for several, the folder, a NUL, each name
// and a NUL, and an empty name at the end.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/backend.h"
#include "platform/user/chooser_folder.h"
#include "platform/win32.h"

namespace platform::user {
namespace {

thread_local DWORD lastError = 0;

BOOL Fail(DWORD error) {
  lastError = error;
  return FALSE;
}

std::vector<FileRequest::Filter> ParseFilters(LPCSTR list) {
  std::vector<FileRequest::Filter> filters;
  if (list == nullptr) return filters;
  for (const char* at = list; *at != '\0';) {
    FileRequest::Filter filter;
    filter.description = at;
    at += filter.description.size() + 1;
    const std::string_view patterns(at);
    at += patterns.size() + 1;
    std::size_t start = 0;
    while (start <= patterns.size()) {
      const std::size_t end = std::min(patterns.find(';', start), patterns.size());
      const std::string_view pattern = patterns.substr(start, end - start);
      if (!pattern.empty()) filter.patterns.emplace_back(pattern);
      start = end + 1;
    }
    filters.push_back(std::move(filter));
    // A description without its pattern ends the list.
    if (patterns.empty()) break;
  }
  return filters;
}

std::string Absolute(const std::string& path) {
  if (path.starts_with('/')) return path;
  std::string folder(PATH_MAX, '\0');
  if (getcwd(folder.data(), folder.size()) == nullptr) return path;
  folder.resize(std::strlen(folder.c_str()));
  return folder.ends_with('/') ? folder + path : folder + "/" + path;
}

// The folder part of a path: up to its last '/', which stays only when it is the root.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The deepest folder that holds every path, and each path's name below it.
std::string CommonFolder(const std::vector<std::string>& paths) {
  std::string folder = FolderOf(paths.front());
  for (const std::string& path : paths) {
    while (folder != "/" && !(path.starts_with(folder) && path.size() > folder.size() &&
                              path[folder.size()] == '/')) {
      folder = FolderOf(folder);
    }
  }
  return folder;
}

// The result as Win32 lays it out, with the offsets of the first name and of its extension.
struct Result {
  std::string bytes;
  WORD nameOffset = 0;
  WORD extensionOffset = 0;
};

Result Lay(const std::vector<std::string>& paths) {
  Result result;
  if (paths.size() == 1) {
    const std::string& path = paths.front();
    const std::size_t name = path.rfind('/') + 1;
    const std::size_t dot = path.rfind('.');
    result.bytes = path + '\0';
    result.nameOffset = static_cast<WORD>(name);
    // No extension: the offset of the terminating NUL, as Win32 gives it.
    result.extensionOffset =
        static_cast<WORD>(dot != std::string::npos && dot >= name ? dot + 1 : path.size());
    return result;
  }
  const std::string folder = CommonFolder(paths);
  const std::size_t skip = folder == "/" ? 1 : folder.size() + 1;
  result.bytes = folder + '\0';
  result.nameOffset = static_cast<WORD>(result.bytes.size());
  for (const std::string& path : paths) result.bytes += path.substr(skip) + '\0';
  result.bytes += '\0';
  return result;
}

}  // namespace
}  // namespace platform::user

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA request) {
  using platform::user::Fail;
  platform::user::lastError = 0;
  if (request == nullptr || (request->lStructSize != OPENFILENAME_SIZE_VERSION_400A &&
                             request->lStructSize != sizeof(OPENFILENAMEA))) {
    return Fail(CDERR_STRUCTSIZE);
  }
  if (request->lpstrFile == nullptr || request->nMaxFile == 0) return Fail(CDERR_INITIALIZATION);
  platform::Backend* backend = platform::CurrentBackend();
  if (backend == nullptr) return Fail(CDERR_INITIALIZATION);

  platform::FileRequest ask;
  ask.owner = request->hwndOwner;
  ask.title = request->lpstrTitle != nullptr ? request->lpstrTitle : "Open";
  ask.folder = platform::user::ChooserStartFolder(
      request->lpstrInitialDir != nullptr ? request->lpstrInitialDir : "");
  ask.filters = platform::user::ParseFilters(request->lpstrFilter);
  if (request->nFilterIndex > 0 && request->nFilterIndex <= ask.filters.size()) {
    ask.filter = request->nFilterIndex - 1;
  }
  ask.defaultExtension = request->lpstrDefExt != nullptr ? request->lpstrDefExt : "";
  ask.flags = request->Flags;
  ask.multiple = (request->Flags & OFN_ALLOWMULTISELECT) != 0;
  ask.mustExist = (request->Flags & OFN_FILEMUSTEXIST) != 0;

  std::vector<std::string> chosen;
  if (!backend->ChooseFiles(ask, &chosen)) return FALSE;
  std::erase_if(chosen, [](const std::string& path) { return path.empty(); });
  if (chosen.empty()) return FALSE;
  if (!ask.multiple) chosen.resize(1);
  for (std::string& path : chosen) path = platform::user::Absolute(path);
  platform::user::NoteChosenFolder(platform::user::FolderOf(chosen.front()));

  const platform::user::Result result = platform::user::Lay(chosen);
  if (result.bytes.size() > request->nMaxFile) {
    // Win32 puts the size the selection needs into the buffer's first two bytes.
    if (request->nMaxFile >= 2) {
      const auto needed = static_cast<WORD>(std::min<std::size_t>(result.bytes.size(), 0xFFFF));
      std::memcpy(request->lpstrFile, &needed, sizeof needed);
    }
    return Fail(FNERR_BUFFERTOOSMALL);
  }
  std::memcpy(request->lpstrFile, result.bytes.data(), result.bytes.size());
  request->nFileOffset = result.nameOffset;
  request->nFileExtension = result.extensionOffset;
  return TRUE;
}

DWORD WINAPI CommDlgExtendedError() {
  return platform::user::lastError;
}
