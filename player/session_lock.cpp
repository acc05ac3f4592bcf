#include "player/session_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// $XDG_RUNTIME_DIR is per user and cleared at log-out; without it, the configuration folder.
std::string LockFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != 0) {
    return runtime;
  }
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != 0) {
    return std::string(config) + "/tavrin";
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config/tavrin";
}

}  // namespace

bool TakeSessionPlayerLock() {
  const std::string folder = LockFolder();
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const std::string path = folder + "/tavrinra.lock";
  const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (descriptor < 0) return true;
  int result = 0;
  do {
    result = ::flock(descriptor, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result == 0) return true;  // the descriptor stays open: it is the lock
  const bool heldElsewhere = errno == EWOULDBLOCK;
  ::close(descriptor);
  return !heldElsewhere;
}
