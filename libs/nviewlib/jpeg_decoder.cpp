// JPEG through libjpeg-turbo's scanline interface: baseline, progressive, grey; CMYK and YCCK
// decoded to CMYK and converted here. A row group at a time, straight into the picture's rows, so
// that a decode can be given up between groups (libjpeg's progress hook asks `stop`, also while a
// progressive file's scans are read). An EXIF orientation turns the picture upright.
//
// libjpeg reports errors by longjmp: each step that calls it sets the jump point itself and holds
// only trivially destructible locals, and everything that owns memory lives outside those steps.
#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h uses FILE and size_t without including their headers
#include <cstring>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <array>
#include <span>

#include "libs/nviewlib/byte_reader.h"
#include "libs/nviewlib/decoders.h"
#include "libs/nviewlib/orientation.h"

namespace nviewlib {
namespace {

// Bounds the work a hostile progressive file can cause.
constexpr int kMaxScans = 500;

struct Session {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  jpeg_progress_mgr progress{};
  std::jmp_buf failed{};
  StopQuery stop = nullptr;
  bool created = false;

  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() {
    if (created) jpeg_destroy_decompress(&info);
  }
};

Session& SessionOf(j_common_ptr info) {
  return *static_cast<Session*>(info->client_data);
}

[[noreturn]] void Fail(j_common_ptr info) {
  std::longjmp(SessionOf(info).failed, 1);
}

// Warnings (a truncated scan, corrupt data) count as failures: a damaged picture is not shown.
void OnMessage(j_common_ptr info, int level) {
  if (level < 0) Fail(info);
}

void Silent(j_common_ptr /*info*/) {}

void OnProgress(j_common_ptr info) {
  const Session& session = SessionOf(info);
  if (session.info.input_scan_number > kMaxScans || ShouldStop(session.stop)) Fail(info);
}

bool ReadHeader(Session& session, Bytes file) {
  if (setjmp(session.failed) != 0) return false;
  jpeg_create_decompress(&session.info);
  session.created = true;
  session.info.client_data = &session;
  session.info.progress = &session.progress;
  jpeg_mem_src(&session.info, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_save_markers(&session.info, JPEG_APP0 + 1, 0xFFFF);
  return jpeg_read_header(&session.info, TRUE) == JPEG_HEADER_OK;
}

// The orientation from the first APP1 segment that holds EXIF (saved by ReadHeader).
int OrientationOf(const jpeg_decompress_struct& info) {
  for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next) {
    const Bytes body(marker->data, marker->data_length);
    if (marker->marker == JPEG_APP0 + 1 && body.size() >= 6 &&
        std::memcmp(body.data(), "Exif\0\0", 6) == 0) {
      return JpegExifOrientation(body);
    }
  }
  return kUpright;
}

// CMYK decodes to four bytes a pixel too, converted where each pixel lies; Adobe's files store
// the ink inverted (255 is no ink).
void CmykToRgb(std::span<std::uint32_t> row, bool inverted) {
  for (std::uint32_t& pixel : row) {
    std::uint32_t c = pixel & 0xFF, m = pixel >> 8 & 0xFF, y = pixel >> 16 & 0xFF, k = pixel >> 24;
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    // Now each value is the light let through: 255 is no ink.
    pixel = Rgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
  }
}

// BGRX fills the fourth byte with 0xFF; GDI's pixels keep it zero.
void ClearTopBytes(std::span<std::uint32_t> rows) {
  for (std::uint32_t& pixel : rows) pixel &= 0x00FFFFFF;
}

// Rows come a row group at a time (rec_outbuf_height, at most 4 in libjpeg-turbo); each group is
// finished while it is still in the cache.
constexpr int kMostRowsPerRead = 4;

bool ReadRows(Session& session, UprightRows& rows, bool cmyk, bool inverted) {
  if (setjmp(session.failed) != 0) return false;
  session.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
  jpeg_start_decompress(&session.info);
  const auto width = static_cast<std::size_t>(rows.StoredWidth());
  if (session.info.output_width != width ||
      session.info.output_height != static_cast<JDIMENSION>(rows.StoredHeight())) {
    return false;
  }
  const int most = std::clamp(session.info.rec_outbuf_height, 1, kMostRowsPerRead);
  std::array<JSAMPROW, kMostRowsPerRead> pointers{};
  while (session.info.output_scanline < session.info.output_height) {
    const auto y = static_cast<int>(session.info.output_scanline);
    const int wanted = std::min(most, rows.BatchEnd(y) - y);
    std::uint32_t* first = rows.Rows(y);
    for (int i = 0; i < wanted; ++i) {
      pointers[static_cast<std::size_t>(i)] =
          reinterpret_cast<JSAMPROW>(first + static_cast<std::size_t>(i) * width);
    }
    const auto got = static_cast<int>(
        jpeg_read_scanlines(&session.info, pointers.data(), static_cast<JDIMENSION>(wanted)));
    if (got == 0) return false;
    const std::span<std::uint32_t> done(first, static_cast<std::size_t>(got) * width);
    if (cmyk) {
      CmykToRgb(done, inverted);
    } else {
      ClearTopBytes(done);
    }
    rows.Done(y + got);
  }
  jpeg_finish_decompress(&session.info);
  return true;
}

// Adobe's APP14 segment marks CMYK stored inverted (0 is full ink), as Photoshop writes it.
bool HasAdobeMarker(Bytes file) {
  ByteReader in(file, 2);
  for (;;) {
    std::uint32_t fill = 0, marker = 0;
    if (!in.U8(fill) || fill != 0xFF || !in.U8(marker)) return false;
    while (marker == 0xFF) {
      if (!in.U8(marker)) return false;
    }
    if (marker == 0xDA || marker == 0xD9) return false;  // start of scan, end of image
    const std::uint8_t* length = in.Take(2);
    if (length == nullptr) return false;
    const std::size_t size = static_cast<std::size_t>(length[0] << 8 | length[1]);
    if (size < 2) return false;
    const std::uint8_t* body = in.Take(size - 2);
    if (body == nullptr) return false;
    if (marker == 0xEE && size - 2 >= 5 && std::equal(body, body + 5, "Adobe")) return true;
  }
}

}  // namespace

std::optional<Picture> DecodeJpeg(Bytes file, StopQuery stop) {
  Session session;
  session.stop = stop;
  session.info.err = jpeg_std_error(&session.errors);
  session.errors.error_exit = Fail;
  session.errors.emit_message = OnMessage;
  session.errors.output_message = Silent;
  session.progress.progress_monitor = OnProgress;
  if (!ReadHeader(session, file) ||
      !SizeAllowed(session.info.image_width, session.info.image_height) || ShouldStop(stop)) {
    return std::nullopt;
  }
  const bool cmyk =
      session.info.jpeg_color_space == JCS_CMYK || session.info.jpeg_color_space == JCS_YCCK;
  constexpr int kBatchRows = 16;
  std::optional<UprightRows> rows =
      UprightRows::Start(session.info.image_width, session.info.image_height,
                         OrientationOf(session.info), kBatchRows, stop);
  if (!rows || !ReadRows(session, *rows, cmyk, cmyk && HasAdobeMarker(file))) return std::nullopt;
  return std::move(*rows).Finish();
}

}  // namespace nviewlib
