// The desktop's viewer for help pages: xdg-open, given a moment to say it found nothing to show
// the page with, and never waited for beyond that.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

#include "platform/backend.h"
#include "platform/help_viewer.h"

extern char** environ;  // NOLINT(readability-redundant-declaration)

namespace platform {
namespace {

constexpr char kViewer[] = "xdg-open";
constexpr auto kVerdictTime = std::chrono::milliseconds(1000);

// Why xdg-open gave up, by its documented exit codes.
std::string ViewerFailure(int status) {
  if (!WIFEXITED(status)) return "the viewer (xdg-open) stopped unexpectedly.";
  switch (WEXITSTATUS(status)) {
    case 2:
      return "the viewer (xdg-open) could not read it.";
    case 3:
      return "no program to show web pages was found (xdg-open found none; install a web "
             "browser).";
    case 4:
      return "the program that should show it (started by xdg-open) failed.";
    default:
      return "the viewer (xdg-open) failed with code " + std::to_string(WEXITSTATUS(status)) + ".";
  }
}

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
  // A session of its own, and no signal of ours blocked: the viewer outlives a dialog that closes.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
  const std::string viewer = kViewer;
  std::string page = path;
  char* argv[] = {const_cast<char*>(viewer.c_str()), page.data(), nullptr};  // NOLINT
  pid_t child = 0;
  const int started = posix_spawnp(&child, kViewer, nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  if (started != 0) {
    *problem = "The help viewer could not be started.";
    return false;
  }
  // xdg-open that finds nothing to show the page with says so within a moment; one that found a
  // browser may stay as long as the browser does, and is then reaped whenever it ends.
  const auto verdict = std::chrono::steady_clock::now() + kVerdictTime;
  int status = 0;
  for (;;) {
    const pid_t ended = waitpid(child, &status, WNOHANG);
    if (ended == child) break;
    if (ended < 0 && errno != EINTR) return true;
    if (std::chrono::steady_clock::now() >= verdict) {
      std::thread([child] {
        int ignored = 0;
        while (waitpid(child, &ignored, 0) < 0 && errno == EINTR) {
        }
      }).detach();
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  *problem = "The help page " + path + " could not be shown: " + ViewerFailure(status);
  return false;
}

bool Backend::OpenHelp(const std::string& path, UINT /*command*/, std::string* problem) {
  return OpenInViewer(path, problem);
}

}  // namespace platform
