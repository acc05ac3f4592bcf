#include "bench/bench_support.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstddef>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace bench {

bool WritePhotoJpeg(const std::string& path, int width, int height) {
  // Smooth gradients with fine detail, so the JPEG is of a usual size for a photo.
  const std::string ppm = path + ".ppm";
  {
    std::ofstream out(ppm, std::ios::binary);
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
  const bool written = Run({"cjpeg", "-quality", "90", "-outfile", path, ppm}) == 0;
  std::filesystem::remove(ppm);
  return written;
}

int Run(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace bench
