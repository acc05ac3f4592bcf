// PNG through libpng's simplified interface, which does its own error recovery (no longjmp
// crosses this file) and turns every colour type and depth into 8-bit BGRA.
#include <png.h>

#include "libs/nviewlib/decoders.h"

namespace nviewlib {

std::optional<Picture> DecodePng(Bytes file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, file.data(), file.size()) == 0) {
    return std::nullopt;
  }
  if (!SizeAllowed(image.width, image.height)) {
    png_image_free(&image);
    return std::nullopt;
  }
  std::optional<Picture> picture = NewPicture(image.width, image.height);
  if (!picture) {
    png_image_free(&image);
    return std::nullopt;
  }
  image.format = PNG_FORMAT_BGRA;
  // finish_read frees the image's resources whatever its result.
  if (png_image_finish_read(&image, nullptr, picture->pixels.data(), 0, nullptr) == 0) {
    return std::nullopt;
  }
  for (std::uint32_t& pixel : picture->pixels) {
    pixel = OverBlack(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF, pixel >> 24);
  }
  return picture;
}

}  // namespace nviewlib
