// One decoder per kind of picture file, each taking the whole file's bytes. Every one checks the
// declared size against the limits of picture.h before allocating, reads only inside the given
// bytes, and gives nothing for a truncated or corrupt file.
#pragma once

#include <optional>

#include "libs/nviewlib/picture.h"

namespace nviewlib {

std::optional<Picture> DecodeBmp(Bytes file);
std::optional<Picture> DecodePcx(Bytes file);
std::optional<Picture> DecodeJpeg(Bytes file);
std::optional<Picture> DecodeGif(Bytes file);
std::optional<Picture> DecodeTiff(Bytes file);
std::optional<Picture> DecodePng(Bytes file);
std::optional<Picture> DecodeWebp(Bytes file);

}  // namespace nviewlib
