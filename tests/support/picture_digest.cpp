#include "tests/support/picture_digest.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "libs/nviewlib/picture_decoder.h"

namespace tavrin_test {

std::string DigestLine(const std::string& name, int width, int height,
                       std::span<const std::uint32_t> pixels) {
  std::uint64_t hash = 0xcbf29ce484222325U;
  for (const std::uint32_t pixel : pixels) {
    for (int shift = 0; shift < 32; shift += 8) {
      hash ^= (pixel >> shift) & 0xFFU;
      hash *= 0x100000001b3U;
    }
  }
  char digest[17];
  std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(hash));
  return name + ' ' + std::to_string(width) + ' ' + std::to_string(height) + ' ' + digest;
}

std::string RefusedLine(const std::string& name) {
  return name + " refused";
}

std::string DecodedDigestLine(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  const std::string name = file.filename().string();
  const std::optional<nviewlib::Picture> picture = nviewlib::DecodePicture(bytes);
  if (!picture) return RefusedLine(name);
  return DigestLine(name, picture->width, picture->height, picture->pixels.Span());
}

}  // namespace tavrin_test
