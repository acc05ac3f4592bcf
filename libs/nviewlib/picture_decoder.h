// Which decoder a file needs, told from its first bytes (never from its name).
#pragma once

#include <optional>

#include "libs/nviewlib/picture.h"

namespace nviewlib {

enum class PictureKind { Unknown, Jpeg, Bmp, Gif, Tiff, Pcx, Png, Webp };

// From the file's first bytes only (kSniffBytes are enough).
PictureKind SniffKind(Bytes file);

// How many first bytes SniffKind needs to tell every kind.
inline constexpr std::size_t kSniffBytes = 128;

// The picture in a whole file's bytes; nothing for an unknown kind, a bad file, or a decode that
// `stop` ended.
std::optional<Picture> DecodePicture(Bytes file, StopQuery stop = nullptr);

}  // namespace nviewlib
