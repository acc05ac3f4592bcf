// TIFF through libtiff's RGBA interface: whatever libtiff reads, first page only. libtiff reads
// a strip or tile at a time through the functions below; a read refused because `stop` says so
// ends the decode as a read error does.
#include <tiffio.h>

#include <cstring>
#include <memory>

#include "libs/nviewlib/decoders.h"

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

  std::optional<Picture> picture = NewPicture(width, height, stop);
  if (!picture) return std::nullopt;
  // Red in the low byte, alpha in the high one; the colours already carry the alpha (libtiff
  // premultiplies), which is what showing the picture over black needs.
  if (TIFFReadRGBAImageOriented(tiff.get(), width, height, picture->pixels.data(),
                                ORIENTATION_TOPLEFT, /*stop_on_error=*/1) != 1) {
    return std::nullopt;
  }
  if (!ConvertRows(*picture, stop, [](std::uint32_t pixel) {
        return Rgb(TIFFGetR(pixel), TIFFGetG(pixel), TIFFGetB(pixel));
      })) {
    return std::nullopt;
  }
  return picture;
}

}  // namespace nviewlib
