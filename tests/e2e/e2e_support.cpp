#include "tests/e2e/e2e_support.h"

#include <X11/Xutil.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <thread>

namespace e2e {

using Clock = std::chrono::steady_clock;

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return condition();
}

std::optional<int> WaitForStatus(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  for (;;) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    if (Clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds limit) {
  const std::optional<int> status = WaitForStatus(pid, limit);
  if (!status) return std::nullopt;
  return WIFEXITED(*status) ? WEXITSTATUS(*status) : 128 + WTERMSIG(*status);
}

std::map<std::string, std::string> StoreContents(const std::string& registry) {
  std::map<std::string, std::string> values;
  if (!std::filesystem::exists(registry)) return values;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(registry)) {
    if (!entry.is_regular_file()) continue;
    std::string bytes(static_cast<std::size_t>(entry.file_size()), '\0');
    if (FILE* file = std::fopen(entry.path().c_str(), "rb")) {
      bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
      std::fclose(file);
    }
    values[std::filesystem::relative(entry.path(), registry).string()] = bytes;
  }
  return values;
}

pid_t StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
  // Everything exec needs is made before fork.
  std::vector<std::string> copies = arguments;
  copies.insert(copies.begin(), program);
  std::vector<char*> argv;
  argv.reserve(copies.size() + 1);
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

bool AnythingDrawn(Display* display, Window window, int x, int y, int width, int height) {
  XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  bool drawn = false;
  for (int row = 0; row < height && !drawn; ++row) {
    for (int column = 0; column < width && !drawn; ++column) {
      drawn = (XGetPixel(image, column, row) & 0xFFFFFF) != 0;
    }
  }
  XDestroyImage(image);
  return drawn;
}

Window FindWindowByTitle(Display* display, const std::string& title) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
    return 0;
  }
  Window found = 0;
  for (unsigned int i = 0; i < count && found == 0; ++i) {
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
      if (title == name) found = children[i];
      XFree(name);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

}  // namespace e2e
