#include "tests/libs/nviewlib/picture_files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace nviewlib_test {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "nviewlib-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

Bytes RunCommand(const std::string& command) {
  Bytes output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    return output;
  }
  std::uint8_t buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    output.insert(output.end(), buffer, buffer + got);
  }
  const int status = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
  return output;
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void WriteSourcePicture(const std::filesystem::path& path, int width, int height) {
  std::ostringstream header;
  header << "P6\n" << width << ' ' << height << "\n255\n";
  const std::string text = header.str();
  Bytes bytes(text.begin(), text.end());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      bytes.push_back(static_cast<std::uint8_t>(x * 255 / std::max(width - 1, 1)));
      bytes.push_back(static_cast<std::uint8_t>(y * 255 / std::max(height - 1, 1)));
      bytes.push_back(static_cast<std::uint8_t>((x * 37 + y * 91) % 256));
    }
  }
  WriteFile(path, bytes);
}

void Convert(const std::filesystem::path& source, const std::string& options,
             const std::string& target) {
  RunCommand("/usr/bin/convert '" + source.string() + "' " + options + " '" + target + "'");
}

Picture ParsePnm(const Bytes& pnm) {
  Picture picture;
  std::string text(pnm.begin(), pnm.begin() + static_cast<std::ptrdiff_t>(
                                                  std::min<std::size_t>(pnm.size(), 64)));
  std::istringstream in(text);
  std::string magic;
  int maximum = 0;
  in >> magic >> picture.width >> picture.height >> maximum;
  const std::size_t start = static_cast<std::size_t>(in.tellg()) + 1;
  const std::size_t channels = magic == "P6" ? 3 : 1;
  const std::size_t count =
      static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
  if ((magic != "P6" && magic != "P5") || maximum != 255 || pnm.size() < start + count * channels) {
    ADD_FAILURE() << "not an 8-bit binary PNM";
    return Picture{};
  }
  picture.pixels.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = &pnm[start + i * channels];
    picture.pixels[i] =
        channels == 3 ? nviewlib::Rgb(p[0], p[1], p[2]) : nviewlib::Rgb(p[0], p[0], p[0]);
  }
  return picture;
}

Picture ReferencePixels(const std::filesystem::path& file) {
  return ParsePnm(RunCommand("/usr/bin/convert '" + file.string() +
                             "[0]' -background black -flatten -alpha off -depth 8 ppm:-"));
}

int LargestDifference(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height) return 256;
  int largest = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) {
    for (int shift = 0; shift <= 16; shift += 8) {
      const int difference = std::abs(static_cast<int>((a.pixels[i] >> shift) & 0xFF) -
                                      static_cast<int>((b.pixels[i] >> shift) & 0xFF));
      largest = std::max(largest, difference);
    }
  }
  return largest;
}

}  // namespace nviewlib_test
