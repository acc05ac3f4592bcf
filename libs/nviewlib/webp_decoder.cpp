// WebP through libwebp: lossy and lossless still pictures (an animation is refused). Decoded
// incrementally, a piece of the file at a time, so that a decode can be given up between pieces.
#include <webp/decode.h>

#include <algorithm>
#include <memory>

#include "libs/nviewlib/decoders.h"

namespace nviewlib {
namespace {

constexpr std::size_t kPieceBytes = 16384;

struct DecoderDeleter {
  void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }
};

}  // namespace

std::optional<Picture> DecodeWebp(Bytes file, StopQuery stop) {
  WebPBitstreamFeatures features{};
  if (WebPGetFeatures(file.data(), file.size(), &features) != VP8_STATUS_OK ||
      features.has_animation != 0 || !SizeAllowed(features.width, features.height) ||
      ShouldStop(stop)) {
    return std::nullopt;
  }
  std::optional<Picture> picture = NewPicture(features.width, features.height, stop);
  if (!picture) return std::nullopt;
  auto* out = reinterpret_cast<std::uint8_t*>(picture->pixels.data());
  const std::size_t bytes = picture->pixels.size() * 4;
  const std::unique_ptr<WebPIDecoder, DecoderDeleter> decoder(
      WebPINewRGB(MODE_BGRA, out, bytes, picture->width * 4));
  if (!decoder) return std::nullopt;
  VP8StatusCode status = VP8_STATUS_SUSPENDED;
  for (std::size_t done = 0; status == VP8_STATUS_SUSPENDED && done < file.size();) {
    if (ShouldStop(stop)) return std::nullopt;
    done += std::min(kPieceBytes, file.size() - done);
    // Update, not Append: the decoder reads the file where it lies instead of copying it.
    status = WebPIUpdate(decoder.get(), file.data(), done);
  }
  if (status != VP8_STATUS_OK) return std::nullopt;  // corrupt, or cut short
  if (!ConvertRows(*picture, stop, [](std::uint32_t pixel) {
        return OverBlack(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF, pixel >> 24);
      })) {
    return std::nullopt;
  }
  return picture;
}

}  // namespace nviewlib
