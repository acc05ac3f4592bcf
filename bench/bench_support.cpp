#include "bench/bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <utility>

extern char** environ;

namespace bench {

namespace {

int Spawn(std::vector<std::string> arguments, const posix_spawn_file_actions_t* actions) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], actions, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

void WritePhotoPpm(const std::string& path, int width, int height) {
  // Smooth gradients with fine detail, so that compressed files are of a usual size for a photo.
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << width << ' ' << height << "\n255\n";
  std::vector<char> row(static_cast<std::size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t at = static_cast<std::size_t>(x) * 3;
      row[at] = static_cast<char>((x * 255 / width + (x * y) % 7) & 0xFF);
      row[at + 1] = static_cast<char>((y * 255 / height + (x ^ y) % 5) & 0xFF);
      row[at + 2] = static_cast<char>(((x + y) / 40 * 17) & 0xFF);
    }
    out.write(row.data(), static_cast<std::streamsize>(row.size()));
  }
}

bool WritePhotoJpeg(const std::string& path, int width, int height) {
  const std::string ppm = path + ".ppm";
  WritePhotoPpm(ppm, width, height);
  const bool written = Run({"cjpeg", "-quality", "90", "-outfile", path, ppm}) == 0;
  std::filesystem::remove(ppm);
  return written;
}

int Run(std::vector<std::string> arguments) {
  return Spawn(std::move(arguments), nullptr);
}

int RunToNull(std::vector<std::string> arguments) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const int code = Spawn(std::move(arguments), &actions);
  posix_spawn_file_actions_destroy(&actions);
  return code;
}

}  // namespace bench
