// GIF through giflib: the first frame only, drawn onto the full logical screen. Transparent pixels
// and the screen outside the frame are black, like every picture's surroundings in the show; the
// file's background colour is not used, as browsers do not use it either.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "libs/nviewlib/decoders.h"

namespace nviewlib {
namespace {

struct MemorySource {
  Bytes bytes;
  std::size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int wanted) {
  auto* source = static_cast<MemorySource*>(gif->UserData);
  const std::size_t left = source->bytes.size() - source->position;
  const std::size_t count = std::min(left, static_cast<std::size_t>(std::max(wanted, 0)));
  std::memcpy(buffer, source->bytes.data() + source->position, count);
  source->position += count;
  return static_cast<int>(count);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

// The transparent index of a Graphic Control extension, or -1.
int TransparentIndex(const GifByteType* extension) {
  GraphicsControlBlock control{};
  if (extension == nullptr || DGifExtensionToGCB(extension[0], extension + 1, &control) != GIF_OK) {
    return NO_TRANSPARENT_COLOR;
  }
  return control.TransparentColor;
}

// Skips the rest of an extension's sub-blocks.
bool SkipExtension(GifFileType* gif) {
  GifByteType* block = nullptr;
  do {
    if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
  } while (block != nullptr);
  return true;
}

}  // namespace

std::optional<Picture> DecodeGif(Bytes file, StopQuery stop) {
  MemorySource source{file};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&source, ReadFromMemory, &error));
  if (!gif) return std::nullopt;

  int transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &record) != GIF_OK) return std::nullopt;
    if (record == TERMINATE_RECORD_TYPE) return std::nullopt;  // no frame at all
    if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* extension = nullptr;
      if (DGifGetExtension(gif.get(), &code, &extension) != GIF_OK) return std::nullopt;
      if (code == GRAPHICS_EXT_FUNC_CODE) transparent = TransparentIndex(extension);
      if (extension != nullptr && !SkipExtension(gif.get())) return std::nullopt;
      continue;
    }
    if (record == IMAGE_DESC_RECORD_TYPE) break;
  }
  if (DGifGetImageDesc(gif.get()) != GIF_OK) return std::nullopt;

  const GifImageDesc& frame = gif->Image;
  if (frame.Left < 0 || frame.Top < 0 || frame.Width < 1 || frame.Height < 1) return std::nullopt;
  // A frame reaching past a too-small logical screen widens it rather than being cut.
  const std::int64_t width =
      std::max<std::int64_t>(gif->SWidth, std::int64_t{frame.Left} + frame.Width);
  const std::int64_t height =
      std::max<std::int64_t>(gif->SHeight, std::int64_t{frame.Top} + frame.Height);
  const ColorMapObject* colours = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
  if (colours == nullptr || !SizeAllowed(width, height) ||
      !PlausibleForFileSize(width, height, file.size()) || ShouldStop(stop)) {
    return std::nullopt;
  }

  // Black only where the frame does not reach: the rows above and below it here, either side of
  // it as each of its rows is drawn.
  std::optional<Picture> picture = NewUnfilledPicture(width, height, stop);
  if (!picture) return std::nullopt;
  const auto screenWidth = static_cast<std::size_t>(width);
  for (int y = 0; y < picture->height; ++y) {
    if (y == frame.Top) y += frame.Height;
    if (y >= picture->height) break;
    if (ShouldStop(stop)) return std::nullopt;
    std::fill_n(&picture->At(0, y), screenWidth, 0);
  }
  std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
  auto drawLine = [&](int row) {
    std::uint32_t* screenRow = &picture->At(0, frame.Top + row);
    std::fill_n(screenRow, frame.Left, 0);
    std::uint32_t* out = screenRow + frame.Left;
    for (int x = 0; x < frame.Width; ++x) {
      const int index = line[static_cast<std::size_t>(x)];
      if (index == transparent || index >= colours->ColorCount) {
        out[x] = 0;
        continue;
      }
      const GifColorType& colour = colours->Colors[index];
      out[x] = Rgb(colour.Red, colour.Green, colour.Blue);
    }
    std::fill(out + frame.Width, screenRow + screenWidth, 0);
  };
  if (frame.Interlace) {
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (int row = kStart[pass]; row < frame.Height; row += kStep[pass]) {
        if (ShouldStop(stop)) return std::nullopt;
        if (DGifGetLine(gif.get(), line.data(), frame.Width) != GIF_OK) return std::nullopt;
        drawLine(row);
      }
    }
  } else {
    for (int row = 0; row < frame.Height; ++row) {
      if (ShouldStop(stop)) return std::nullopt;
      if (DGifGetLine(gif.get(), line.data(), frame.Width) != GIF_OK) return std::nullopt;
      drawLine(row);
    }
  }
  return picture;
}

}  // namespace nviewlib
