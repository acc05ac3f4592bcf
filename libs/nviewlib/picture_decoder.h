// Which decoder a file needs, told from its first bytes (never from its name).
#pragma once

#include <optional>

#include "libs/nviewlib/picture.h"

namespace nviewlib {

enum class PictureKind { Unknown, Jpeg, Bmp, Gif, Tiff, Pcx, Png, Webp };

PictureKind SniffKind(Bytes file);

// The picture in a whole file's bytes; nothing for an unknown kind or a bad file.
std::optional<Picture> DecodePicture(Bytes file);

}  // namespace nviewlib
