// The desktop's viewer for help pages: xdg-open, started so that nothing ever waits for it.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/backend.h"
#include "platform/help_viewer.h"

extern char** environ;  // NOLINT(readability-redundant-declaration)

namespace platform {
namespace {

constexpr char kViewer[] = "xdg-open";

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool OnPath(std::string_view program) {
  const char* path = std::getenv("PATH");
  std::string_view folders = path != nullptr ? path : "/usr/bin:/bin";
  while (!folders.empty()) {
    const auto colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    const std::string candidate =
        std::string(folder.empty() ? "." : folder) + "/" + std::string(program);
    if (access(candidate.c_str(), X_OK) == 0) return true;
    if (colon == std::string_view::npos) break;
    folders.remove_prefix(colon + 1);
  }
  return false;
}

}  // namespace

bool OpenInViewer(const std::string& path, std::string* problem) {
  if (!IsRegularFile(path)) {
    *problem = "The help page " + path + " is missing.";
    return false;
  }
  if (!OnPath(kViewer)) {
    *problem = "No viewer for the help page was found (xdg-open, from xdg-utils, is needed).";
    return false;
  }
  // An intermediate child starts the viewer and ends at once: the viewer is left to init, so
  // it is neither waited for nor left a zombie, and it outlives a dialog that closes.
  const pid_t middle = fork();
  if (middle < 0) {
    *problem = "The help viewer could not be started.";
    return false;
  }
  if (middle == 0) {
    setsid();
    const std::string viewer = kViewer;
    std::string page = path;
    char* argv[] = {const_cast<char*>(viewer.c_str()), page.data(), nullptr};  // NOLINT
    pid_t ignored = 0;
    _exit(posix_spawnp(&ignored, kViewer, nullptr, nullptr, argv, environ) == 0 ? 0 : 1);
  }
  int status = 0;
  while (waitpid(middle, &status, 0) < 0) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    *problem = "The help viewer could not be started.";
    return false;
  }
  return true;
}

bool Backend::OpenHelp(const std::string& path, UINT /*command*/, std::string* problem) {
  return OpenInViewer(path, problem);
}

}  // namespace platform
