// WebP through libwebp: lossy and lossless still pictures (an animation is refused). Decoded
// incrementally, a piece of the file at a time, so that a decode can be given up between pieces;
// each row is finished (alpha over black) as soon as the decoder has made it. An EXIF
// orientation turns the picture upright.
#include <webp/decode.h>

#include <algorithm>
#include <memory>
#include <span>

#include "libs/nviewlib/decoders.h"
#include "libs/nviewlib/orientation.h"

namespace nviewlib {
namespace {

constexpr std::size_t kPieceBytes = 16384;

struct DecoderDeleter {
  void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }
};

void FinishRow(std::span<std::uint32_t> row, bool alpha) {
  if (alpha) {
    for (std::uint32_t& pixel : row) {
      pixel = OverBlack(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF, pixel >> 24);
    }
  } else {
    for (std::uint32_t& pixel : row) pixel &= 0x00FFFFFF;
  }
}

}  // namespace

std::optional<Picture> DecodeWebp(Bytes file, StopQuery stop) {
  WebPBitstreamFeatures features{};
  if (WebPGetFeatures(file.data(), file.size(), &features) != VP8_STATUS_OK ||
      features.has_animation != 0 || !SizeAllowed(features.width, features.height) ||
      ShouldStop(stop)) {
    return std::nullopt;
  }
  // libwebp writes anywhere in its output as it goes: the whole stored picture at once.
  std::optional<UprightRows> rows = UprightRows::Start(
      features.width, features.height, WebpOrientation(file), features.height, stop);
  if (!rows) return std::nullopt;
  const auto width = static_cast<std::size_t>(features.width);
  auto* out = reinterpret_cast<std::uint8_t*>(rows->Rows(0));
  const std::size_t bytes = width * static_cast<std::size_t>(features.height) * 4;
  const std::unique_ptr<WebPIDecoder, DecoderDeleter> decoder(
      WebPINewRGB(MODE_BGRA, out, bytes, features.width * 4));
  if (!decoder) return std::nullopt;
  VP8StatusCode status = VP8_STATUS_SUSPENDED;
  int finished = 0;  // rows already made final
  for (std::size_t done = 0; status == VP8_STATUS_SUSPENDED && done < file.size();) {
    if (ShouldStop(stop)) return std::nullopt;
    done += std::min(kPieceBytes, file.size() - done);
    // Update, not Append: the decoder reads the file where it lies instead of copying it.
    status = WebPIUpdate(decoder.get(), file.data(), done);
    int made = 0;
    if (WebPIDecGetRGB(decoder.get(), &made, nullptr, nullptr, nullptr) == nullptr) made = 0;
    for (; finished < made; ++finished) {
      if (ShouldStop(stop)) return std::nullopt;
      FinishRow({rows->Rows(finished), width}, features.has_alpha != 0);
    }
  }
  if (status != VP8_STATUS_OK || finished != features.height) return std::nullopt;
  rows->Done(features.height);
  return std::move(*rows).Finish();
}

}  // namespace nviewlib
