#include "libs/nviewlib/picture_decoder.h"

#include <algorithm>
#include <string_view>

#include "libs/nviewlib/decoders.h"

namespace nviewlib {
namespace {

bool StartsWith(Bytes file, std::string_view magic, std::size_t at = 0) {
  return file.size() >= at + magic.size() &&
         std::equal(magic.begin(), magic.end(), file.begin() + static_cast<std::ptrdiff_t>(at),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

// PCX has no magic number: maker 0x0A, a known version, encoding 0 or 1, a known depth.
bool LooksLikePcx(Bytes file) {
  if (file.size() < 128 || file[0] != 0x0A || file[2] > 1) return false;
  const std::uint8_t version = file[1];
  const std::uint8_t bits = file[3];
  return (version == 0 || (version >= 2 && version <= 5)) &&
         (bits == 1 || bits == 2 || bits == 4 || bits == 8);
}

}  // namespace

PictureKind SniffKind(Bytes file) {
  using namespace std::string_view_literals;
  if (StartsWith(file, "\xFF\xD8\xFF"sv)) return PictureKind::Jpeg;
  if (StartsWith(file, "BM"sv)) return PictureKind::Bmp;
  if (StartsWith(file, "GIF87a"sv) || StartsWith(file, "GIF89a"sv)) return PictureKind::Gif;
  if (StartsWith(file, "II*\0"sv) || StartsWith(file, "MM\0*"sv) || StartsWith(file, "II+\0"sv) ||
      StartsWith(file, "MM\0+"sv)) {
    return PictureKind::Tiff;
  }
  if (StartsWith(file, "\x89PNG\r\n\x1A\n"sv)) return PictureKind::Png;
  if (StartsWith(file, "RIFF"sv) && StartsWith(file, "WEBP"sv, 8)) return PictureKind::Webp;
  if (LooksLikePcx(file)) return PictureKind::Pcx;
  return PictureKind::Unknown;
}

std::optional<Picture> DecodePicture(Bytes file, StopQuery stop) {
  switch (SniffKind(file)) {
    case PictureKind::Jpeg:
      return DecodeJpeg(file, stop);
    case PictureKind::Bmp:
      return DecodeBmp(file, stop);
    case PictureKind::Gif:
      return DecodeGif(file, stop);
    case PictureKind::Tiff:
      return DecodeTiff(file, stop);
    case PictureKind::Pcx:
      return DecodePcx(file, stop);
    case PictureKind::Png:
      return DecodePng(file, stop);
    case PictureKind::Webp:
      return DecodeWebp(file, stop);
    case PictureKind::Unknown:
      break;
  }
  return std::nullopt;
}

}  // namespace nviewlib
