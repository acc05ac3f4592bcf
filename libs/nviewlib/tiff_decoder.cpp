// TIFF through libtiff's RGBA interface: whatever libtiff reads, first page only, a strip (or row
// of tiles) at a time straight into the picture, each finished while it is in the cache. libtiff
// reads through the functions below; a read refused because `stop` says so ends the decode as a
// read error does. The orientation tag turns the picture upright.
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>

#include "libs/nviewlib/decoders.h"
#include "libs/nviewlib/orientation.h"

namespace nviewlib {
namespace {

struct MemoryFile {
  Bytes bytes;
  StopQuery stop = nullptr;
  toff_t position = 0;
};

tsize_t Read(thandle_t handle, tdata_t buffer, tsize_t size) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (size <= 0 || file->position >= file->bytes.size() || ShouldStop(file->stop)) return 0;
  const auto count = static_cast<std::size_t>(
      std::min<toff_t>(static_cast<toff_t>(size), file->bytes.size() - file->position));
  std::memcpy(buffer, file->bytes.data() + file->position, count);
  file->position += count;
  return static_cast<tsize_t>(count);
}

tsize_t Write(thandle_t /*handle*/, tdata_t /*buffer*/, tsize_t /*size*/) {
  return 0;
}

toff_t Seek(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<MemoryFile*>(handle);
  toff_t base = 0;
  if (whence == SEEK_CUR) base = file->position;
  if (whence == SEEK_END) base = file->bytes.size();
  // libtiff passes negative offsets from SEEK_CUR / SEEK_END as wrapped unsigned values.
  file->position = base + offset;
  return file->position;
}

int Close(thandle_t /*handle*/) {
  return 0;
}
toff_t Size(thandle_t handle) {
  return static_cast<MemoryFile*>(handle)->bytes.size();
}
int Map(thandle_t /*handle*/, tdata_t* /*base*/, toff_t* /*size*/) {
  return 0;
}
void Unmap(thandle_t /*handle*/, tdata_t /*base*/, toff_t /*size*/) {}

// Ends libtiff's RGBA reading of a picture, if it began.
struct RgbaImage {
  TIFFRGBAImage image{};
  bool begun = false;

  RgbaImage() = default;
  RgbaImage(const RgbaImage&) = delete;
  RgbaImage& operator=(const RgbaImage&) = delete;
  ~RgbaImage() {
    if (begun) TIFFRGBAImageEnd(&image);
  }
};

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// libtiff prints its complaints on standard error by default; a bad file is just a null here.
int SilentError(TIFF* /*tiff*/, void* /*data*/, const char* /*module*/, const char* /*format*/,
                va_list /*arguments*/) {
  return 1;
}

}  // namespace

std::optional<Picture> DecodeTiff(Bytes file, StopQuery stop) {
  static const bool silenced = [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    return true;
  }();
  (void)silenced;

  std::unique_ptr<TIFFOpenOptions, decltype(&TIFFOpenOptionsFree)> options(TIFFOpenOptionsAlloc(),
                                                                           TIFFOpenOptionsFree);
  if (!options) return std::nullopt;
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), SilentError, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), SilentError, nullptr);
  // No one buffer of libtiff's may be larger than the largest picture.
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxPixels * 4));

  MemoryFile memory{file, stop};
  // "m": never map the bytes, they are already in memory and read through the functions above.
  std::unique_ptr<TIFF, TiffCloser> tiff(TIFFClientOpenExt(
      "picture", "rm", &memory, Read, Write, Seek, Close, Size, Map, Unmap, options.get()));
  if (!tiff) return std::nullopt;
  std::uint32_t width = 0, height = 0;
  if (TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) != 1 ||
      TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) != 1 || !SizeAllowed(width, height)) {
    return std::nullopt;
  }
  char message[1024] = {};
  if (TIFFRGBAImageOK(tiff.get(), message) != 1 || ShouldStop(stop)) return std::nullopt;
  RgbaImage image;
  if (TIFFRGBAImageBegin(&image.image, tiff.get(), /*stop_on_error=*/1, message) != 1) {
    return std::nullopt;
  }
  image.begun = true;
  // libtiff would turn only some orientations itself (and lying on a side not at all): rows are
  // taken as stored, top first, and turned upright here, all eight the same way.
  std::uint16_t orientation = ORIENTATION_TOPLEFT;
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
  image.image.orientation = ORIENTATION_TOPLEFT;
  image.image.req_orientation = ORIENTATION_TOPLEFT;

  // A strip or a row of tiles at a time, so that each is decoded once.
  std::uint32_t piece = 0;
  if (TIFFIsTiled(tiff.get()) != 0) {
    TIFFGetField(tiff.get(), TIFFTAG_TILELENGTH, &piece);
  } else {
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ROWSPERSTRIP, &piece);
  }
  piece = std::clamp<std::uint32_t>(piece, 1, height);
  std::optional<UprightRows> rows =
      UprightRows::Start(width, height, orientation, static_cast<int>(piece), stop);
  if (!rows) return std::nullopt;
  for (std::uint32_t y = 0; y < height;) {
    const std::uint32_t count =
        std::min(piece, static_cast<std::uint32_t>(rows->BatchEnd(static_cast<int>(y))) - y);
    std::uint32_t* first = rows->Rows(static_cast<int>(y));
    image.image.row_offset = static_cast<int>(y);
    image.image.col_offset = 0;
    if (ShouldStop(stop) || TIFFRGBAImageGet(&image.image, first, width, count) != 1) {
      return std::nullopt;
    }
    // Red in the low byte, alpha in the high one; the colours already carry the alpha (libtiff
    // premultiplies), which is what showing the picture over black needs.
    for (std::uint32_t& pixel : std::span(first, std::size_t{count} * width)) {
      pixel = Rgb(TIFFGetR(pixel), TIFFGetG(pixel), TIFFGetB(pixel));
    }
    y += count;
    rows->Done(static_cast<int>(y));
  }
  return std::move(*rows).Finish();
}

}  // namespace nviewlib
