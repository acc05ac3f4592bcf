// PNG through libpng's simplified interface, which does its own error recovery (no longjmp
// crosses this file) and turns every colour type and depth into 8-bit BGRA.
//
// The simplified interface decodes in one call; to be able to give up part way, it reads the file
// through a stream that hands out a few kilobytes at a time and fails once `stop` says so, which
// libpng treats as a read error and cleans up after.
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "libs/nviewlib/decoders.h"

namespace nviewlib {
namespace {

// Small enough that even a picture compressed a thousandfold decodes only a few dozen rows of
// its widest size per piece.
constexpr std::size_t kPieceBytes = 4096;

struct StoppableSource {
  Bytes bytes;
  StopQuery stop;
  std::size_t position = 0;
};

ssize_t ReadPiece(void* cookie, char* buffer, std::size_t wanted) {
  auto* source = static_cast<StoppableSource*>(cookie);
  if (ShouldStop(source->stop)) return -1;
  const std::size_t count =
      std::min({wanted, kPieceBytes, source->bytes.size() - source->position});
  std::memcpy(buffer, source->bytes.data() + source->position, count);
  source->position += count;
  return static_cast<ssize_t>(count);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::optional<Picture> DecodePng(Bytes file, StopQuery stop) {
  StoppableSource source{file, stop};
  const cookie_io_functions_t functions{ReadPiece, nullptr, nullptr, nullptr};
  const std::unique_ptr<std::FILE, FileCloser> stream(fopencookie(&source, "rb", functions));
  if (!stream) return std::nullopt;

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_stdio(&image, stream.get()) == 0) return std::nullopt;
  if (!SizeAllowed(image.width, image.height) || ShouldStop(stop)) {
    png_image_free(&image);
    return std::nullopt;
  }
  std::optional<Picture> picture = NewPicture(image.width, image.height, stop);
  if (!picture) {
    png_image_free(&image);
    return std::nullopt;
  }
  image.format = PNG_FORMAT_BGRA;
  // finish_read frees the image's resources whatever its result.
  if (png_image_finish_read(&image, nullptr, picture->pixels.data(), 0, nullptr) == 0) {
    return std::nullopt;
  }
  if (!ConvertRows(*picture, stop, [](std::uint32_t pixel) {
        return OverBlack(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF, pixel >> 24);
      })) {
    return std::nullopt;
  }
  return picture;
}

}  // namespace nviewlib
