// One decoder per kind of picture file, each taking the whole file's bytes. Every one checks the
// declared size against the limits of picture.h before allocating, reads only inside the given
// bytes, and gives nothing for a truncated or corrupt file, or when `stop` says so (picture.h).
#pragma once

#include <optional>

#include "libs/nviewlib/picture.h"

namespace nviewlib {

std::optional<Picture> DecodeBmp(Bytes file, StopQuery stop = nullptr);
std::optional<Picture> DecodePcx(Bytes file, StopQuery stop = nullptr);
std::optional<Picture> DecodeJpeg(Bytes file, StopQuery stop = nullptr);
std::optional<Picture> DecodeGif(Bytes file, StopQuery stop = nullptr);
std::optional<Picture> DecodeTiff(Bytes file, StopQuery stop = nullptr);
std::optional<Picture> DecodePng(Bytes file, StopQuery stop = nullptr);
std::optional<Picture> DecodeWebp(Bytes file, StopQuery stop = nullptr);

}  // namespace nviewlib
