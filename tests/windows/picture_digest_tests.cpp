// Every sample picture decodes on Windows to the pixels the Linux build decodes, both through the
// decoders and through NViewLib.dll as the saver loads it (a real GDI bitmap).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/win32.h"
#include "tests/support/picture_digest.h"

namespace {

// TAVRIN_PICTURE_DIGESTS names the Linux build's lines, TAVRIN_SAMPLE_PICTURES their folder.
std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::map<std::string, std::string> LinuxLines() {
  std::map<std::string, std::string> lines;
  std::ifstream in(Environment("TAVRIN_PICTURE_DIGESTS"));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines[line.substr(0, line.find(' '))] = line;
  }
  return lines;
}

// The DIB section's own pixels, as the saver would draw them.
std::string LoadedDigestLine(HMODULE library, const std::filesystem::path& file) {
  using Load = HBITMAP(WINAPI*)(LPCSTR, int);
  const auto load = reinterpret_cast<Load>(  // NOLINT: GetProcAddress's generic type
      reinterpret_cast<void (*)()>(GetProcAddress(library, "NViewLibLoad")));
  if (load == nullptr) return "no NViewLibLoad";
  const std::string name = file.filename().string();
  HBITMAP bitmap = load(file.string().c_str(), 0);
  if (bitmap == nullptr) return tavrin_test::RefusedLine(name);
  DIBSECTION section{};
  std::string line = "not a 32-bit DIB section";
  if (GetObjectA(bitmap, sizeof section, &section) == sizeof section &&
      section.dsBm.bmBitsPixel == 32 && section.dsBm.bmBits != nullptr) {
    const int width = section.dsBm.bmWidth;
    const int height = section.dsBm.bmHeight;
    const std::span<const std::uint32_t> pixels(
        static_cast<const std::uint32_t*>(section.dsBm.bmBits),
        static_cast<std::size_t>(width) * height);
    // Rows as they lie in memory: the saver's pictures are top-down, so this is the picture.
    line = tavrin_test::DigestLine(name, width, height, pixels);
  }
  DeleteObject(bitmap);
  return line;
}

TEST(PictureDigestTest, SamplePicturesDecodeAsOnLinux) {
  const std::map<std::string, std::string> expected = LinuxLines();
  ASSERT_FALSE(expected.empty()) << "no digests in TAVRIN_PICTURE_DIGESTS";
  HMODULE library = LoadLibraryA("NViewLib.dll");
  ASSERT_NE(library, nullptr);
  const std::filesystem::path folder(Environment("TAVRIN_SAMPLE_PICTURES"));
  for (const auto& [name, line] : expected) {
    SCOPED_TRACE(name);
    EXPECT_EQ(tavrin_test::DecodedDigestLine(folder / name), line);
    EXPECT_EQ(LoadedDigestLine(library, folder / name), line);
  }
  FreeLibrary(library);
}

}  // namespace
