#include "tests/libs/nviewlib/picture_files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

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

void WriteBlockPicture(const std::filesystem::path& path, int blocksAcross, int blocksDown,
                       int block) {
  const int width = blocksAcross * block;
  const int height = blocksDown * block;
  const std::string header =
      "P6\n" + std::to_string(width) + ' ' + std::to_string(height) + "\n255\n";
  Bytes bytes(header.begin(), header.end());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int index = (y / block) * blocksAcross + x / block;
      bytes.push_back(static_cast<std::uint8_t>(index * 53 % 256));
      bytes.push_back(static_cast<std::uint8_t>(255 - index * 97 % 256));
      bytes.push_back(static_cast<std::uint8_t>((index % 3) * 120));
    }
  }
  WriteFile(path, bytes);
}

Bytes ExifBlock(int orientation) {
  return {'I',  'I',  42, 0, 8, 0, 0, 0,  // header, IFD at 8
          1,    0,                        // one entry
          0x12, 0x01, 3,  0, 1, 0, 0, 0, static_cast<std::uint8_t>(orientation), 0, 0, 0,  // SHORT
          0,    0,    0,  0};  // no next IFD
}

Bytes WithJpegExif(const Bytes& jpeg, const Bytes& exif) {
  const std::size_t length = 2 + 6 + exif.size();
  Bytes segment = {0xFF,
                   0xE1,
                   static_cast<std::uint8_t>(length >> 8),
                   static_cast<std::uint8_t>(length & 0xFF),
                   'E',
                   'x',
                   'i',
                   'f',
                   0,
                   0};
  segment.insert(segment.end(), exif.begin(), exif.end());
  Bytes tagged(jpeg.begin(), jpeg.begin() + 2);
  tagged.insert(tagged.end(), segment.begin(), segment.end());
  tagged.insert(tagged.end(), jpeg.begin() + 2, jpeg.end());
  return tagged;
}

Bytes WithPngExif(const Bytes& png, const Bytes& exif) {
  auto be32 = [](std::uint32_t value) {
    return Bytes{static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                 static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
  };
  Bytes chunk = be32(static_cast<std::uint32_t>(exif.size()));
  const std::size_t typeAt = chunk.size();
  chunk.insert(chunk.end(), {'e', 'X', 'I', 'f'});
  chunk.insert(chunk.end(), exif.begin(), exif.end());
  const Bytes crc = be32(static_cast<std::uint32_t>(
      crc32(0, chunk.data() + typeAt, static_cast<unsigned>(chunk.size() - typeAt))));
  chunk.insert(chunk.end(), crc.begin(), crc.end());
  const char idat[] = {'I', 'D', 'A', 'T'};
  const auto at = std::search(png.begin(), png.end(), std::begin(idat), std::end(idat));
  if (at == png.end() || at - png.begin() < 4) {
    ADD_FAILURE() << "no IDAT chunk";
    return png;
  }
  Bytes tagged(png.begin(), at - 4);
  tagged.insert(tagged.end(), chunk.begin(), chunk.end());
  tagged.insert(tagged.end(), at - 4, png.end());
  return tagged;
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
  picture.pixels = platform::gdi::PixelMemory::Unfilled(count);
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
