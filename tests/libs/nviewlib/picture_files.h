// Picture files for the decoder tests: made at test time with ImageMagick, read back by an
// independent decoder (ImageMagick, djpeg, dwebp) to give the pixels each file must show.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "libs/nviewlib/picture.h"

namespace nviewlib_test {

using nviewlib::Picture;
using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Standard output of a shell command; fails the test when the command does.
Bytes RunCommand(const std::string& command);

Bytes ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const Bytes& bytes);

// A colourful test picture with no two neighbours alike, written as a binary PPM.
void WriteSourcePicture(const std::filesystem::path& path, int width, int height);

// Flat square blocks of `block` pixels, each its own colour: JPEG at quality 100 keeps it nearly
// unchanged, and no turn or mirror of it looks like the picture itself.
void WriteBlockPicture(const std::filesystem::path& path, int blocksAcross, int blocksDown,
                       int block);

// An EXIF body (TIFF-structured, little-endian) whose first IFD holds only the orientation tag.
Bytes ExifBlock(int orientation);
// The file with `exif` added where cameras put it: a JPEG APP1 segment after the start of image,
// a PNG eXIf chunk before the first IDAT.
Bytes WithJpegExif(const Bytes& jpeg, const Bytes& exif);
Bytes WithPngExif(const Bytes& png, const Bytes& exif);

// `convert SOURCE OPTIONS TARGET` with the real ImageMagick.
void Convert(const std::filesystem::path& source, const std::string& options,
             const std::string& target);

// The pixels of a PPM or PGM (binary) as 0x00RRGGBB.
Picture ParsePnm(const Bytes& pnm);

// What ImageMagick makes of the file's first frame, over black.
Picture ReferencePixels(const std::filesystem::path& file);

// The largest difference of one colour channel between the two (sizes must agree).
int LargestDifference(const Picture& a, const Picture& b);

}  // namespace nviewlib_test
