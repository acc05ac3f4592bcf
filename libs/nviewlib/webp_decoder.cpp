// WebP through libwebp: lossy and lossless still pictures (an animation is refused).
#include <webp/decode.h>

#include "libs/nviewlib/decoders.h"

namespace nviewlib {

std::optional<Picture> DecodeWebp(Bytes file) {
  WebPBitstreamFeatures features{};
  if (WebPGetFeatures(file.data(), file.size(), &features) != VP8_STATUS_OK ||
      features.has_animation != 0 || !SizeAllowed(features.width, features.height)) {
    return std::nullopt;
  }
  std::optional<Picture> picture = NewPicture(features.width, features.height);
  if (!picture) return std::nullopt;
  auto* out = reinterpret_cast<std::uint8_t*>(picture->pixels.data());
  const std::size_t bytes = picture->pixels.size() * 4;
  if (WebPDecodeBGRAInto(file.data(), file.size(), out, bytes, picture->width * 4) == nullptr) {
    return std::nullopt;
  }
  for (std::uint32_t& pixel : picture->pixels) {
    pixel = OverBlack(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF, pixel >> 24);
  }
  return picture;
}

}  // namespace nviewlib
