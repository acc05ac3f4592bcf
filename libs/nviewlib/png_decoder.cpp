// PNG through libpng's row interface: every colour type and depth turned into 8-bit BGRA (or BGR
// with a zero fourth byte for pictures without transparency) by libpng's transforms, a row at a
// time straight into the picture. An eXIf orientation turns the picture upright.
//
// libpng reports errors by longjmp: each step that calls it sets the jump point itself and holds
// only trivially destructible locals, and everything that owns memory lives outside those steps.
// The file is read through a function that fails once `stop` says so, which libpng treats as a
// read error.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <span>

#include "libs/nviewlib/decoders.h"
#include "libs/nviewlib/orientation.h"

namespace nviewlib {
namespace {

struct Session {
  png_structp png = nullptr;
  png_infop info = nullptr;
  Bytes bytes;
  std::size_t position = 0;
  StopQuery stop = nullptr;

  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
};

[[noreturn]] void Fail(png_structp png, png_const_charp /*message*/) {
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp /*png*/, png_const_charp /*message*/) {}

// libpng asks for a chunk header or a few kilobytes of image data at a time.
void ReadData(png_structp png, png_bytep out, png_size_t count) {
  auto* session = static_cast<Session*>(png_get_io_ptr(png));
  if (ShouldStop(session->stop) || count > session->bytes.size() - session->position) {
    png_error(png, "stopped or truncated");
  }
  std::memcpy(out, session->bytes.data() + session->position, count);
  session->position += count;
}

struct Layout {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  bool alpha = false;
  int passes = 1;
  int orientation = kUpright;
};

bool ReadHeader(Session& session, Layout& layout) {
  if (setjmp(png_jmpbuf(session.png)) != 0) return false;
  png_set_read_fn(session.png, &session, ReadData);
  png_set_user_limits(session.png, kMaxSide, kMaxSide);
  png_read_info(session.png, session.info);
  layout.width = png_get_image_width(session.png, session.info);
  layout.height = png_get_image_height(session.png, session.info);
  const png_byte colourType = png_get_color_type(session.png, session.info);
  layout.alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 ||
                 png_get_valid(session.png, session.info, PNG_INFO_tRNS) != 0;
  // A file that states a gamma other than sRGB's is shown as sRGB, as other viewers show it.
  png_fixed_point fileGamma = 0;
  if (png_get_gAMA_fixed(session.png, session.info, &fileGamma) != 0) {
    png_set_gamma_fixed(session.png, PNG_DEFAULT_sRGB, fileGamma);
  }
  png_set_expand(session.png);  // palette and grey to 8-bit, transparency to alpha
  png_set_scale_16(session.png);
  png_set_gray_to_rgb(session.png);
  png_set_bgr(session.png);
  if (!layout.alpha) png_set_filler(session.png, 0, PNG_FILLER_AFTER);
  layout.passes = png_set_interlace_handling(session.png);
  png_read_update_info(session.png, session.info);
  if (png_get_rowbytes(session.png, session.info) != std::size_t{layout.width} * 4) return false;
  png_uint_32 exifBytes = 0;
  png_bytep exif = nullptr;
  if (png_get_eXIf_1(session.png, session.info, &exifBytes, &exif) != 0 && exif != nullptr) {
    layout.orientation = ExifOrientation(Bytes(exif, exifBytes));
  }
  return true;
}

// Pictures are shown on black.
void OverBlackRows(std::span<std::uint32_t> rows) {
  for (std::uint32_t& pixel : rows) {
    pixel = OverBlack(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF, pixel >> 24);
  }
}

bool ReadRows(Session& session, UprightRows& rows, const Layout& layout) {
  if (setjmp(png_jmpbuf(session.png)) != 0) return false;
  const std::size_t width = layout.width;
  const int height = rows.StoredHeight();
  if (layout.passes > 1) {
    // Each pass adds pixels to rows the earlier ones began: the rows are final only at the end.
    for (int pass = 0; pass < layout.passes; ++pass) {
      for (int y = 0; y < height; ++y) {
        png_read_row(session.png, reinterpret_cast<png_bytep>(rows.Rows(y)), nullptr);
      }
    }
    if (layout.alpha) OverBlackRows({rows.Rows(0), width * static_cast<std::size_t>(height)});
    rows.Done(height);
  } else {
    for (int y = 0; y < height; ++y) {
      std::uint32_t* row = rows.Rows(y);
      png_read_row(session.png, reinterpret_cast<png_bytep>(row), nullptr);
      if (layout.alpha) OverBlackRows({row, width});
      rows.Done(y + 1);
    }
  }
  png_read_end(session.png, nullptr);
  return true;
}

}  // namespace

std::optional<Picture> DecodePng(Bytes file, StopQuery stop) {
  Session session;
  session.bytes = file;
  session.stop = stop;
  session.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, IgnoreWarning);
  if (session.png == nullptr) return std::nullopt;
  session.info = png_create_info_struct(session.png);
  Layout layout;
  if (session.info == nullptr || !ReadHeader(session, layout) ||
      !SizeAllowed(layout.width, layout.height) || ShouldStop(stop)) {
    return std::nullopt;
  }
  constexpr int kBatchRows = 16;
  std::optional<UprightRows> rows =
      UprightRows::Start(layout.width, layout.height, layout.orientation,
                         layout.passes > 1 ? static_cast<int>(layout.height) : kBatchRows, stop);
  if (!rows || !ReadRows(session, *rows, layout)) return std::nullopt;
  return std::move(*rows).Finish();
}

}  // namespace nviewlib
