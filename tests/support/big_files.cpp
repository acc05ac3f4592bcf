#include "tests/support/big_files.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <string_view>
#include <vector>

namespace test_support {
namespace {

using Buffer = std::vector<unsigned char>;

void PutU32(Buffer& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutChunk(Buffer& out, std::string_view type, const Buffer& data) {
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  const auto crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
  PutU32(out, static_cast<std::uint32_t>(crc));
}

// `rows` copies of `row`, deflated raw and ended with a full flush: the piece stands alone (no
// reference to what came before), so copies of it can follow one another in one stream.
Buffer DeflatePiece(const Buffer& row, int rows) {
  z_stream stream{};
  deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  Buffer out(deflateBound(&stream, static_cast<uLong>(row.size()) * static_cast<uLong>(rows)) + 64);
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  for (int y = 0; y < rows; ++y) {
    stream.next_in = const_cast<unsigned char*>(row.data());  // zlib's input is not const
    stream.avail_in = static_cast<uInt>(row.size());
    deflate(&stream, y + 1 == rows ? Z_FULL_FLUSH : Z_NO_FLUSH);
  }
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace

// Deflating 768 MB of identical rows would take seconds: instead one piece of a few rows is
// deflated and repeated, which is a valid zlib stream of the whole picture.
bool WriteFlatPng(const std::string& path, int width, int height, std::uint32_t colour) {
  if (width < 1 || height < 1) return false;
  Buffer row(1 + static_cast<std::size_t>(width) * 3);  // filter byte 0 (none), then RGB
  for (std::size_t x = 1; x < row.size(); x += 3) {
    row[x] = static_cast<unsigned char>(colour >> 16);
    row[x + 1] = static_cast<unsigned char>(colour >> 8);
    row[x + 2] = static_cast<unsigned char>(colour);
  }
  const int rowsPerPiece = std::min(height, 64);
  const Buffer piece = DeflatePiece(row, rowsPerPiece);
  const Buffer rest = DeflatePiece(row, height % rowsPerPiece);
  uLong rowSum = adler32(1, row.data(), static_cast<uInt>(row.size()));
  uLong sum = 1;
  for (int y = 0; y < height; ++y)
    sum = adler32_combine(sum, rowSum, static_cast<z_off_t>(row.size()));

  Buffer zlib = {0x78, 0xDA};
  for (int i = 0; i < height / rowsPerPiece; ++i)
    zlib.insert(zlib.end(), piece.begin(), piece.end());
  if (height % rowsPerPiece != 0) zlib.insert(zlib.end(), rest.begin(), rest.end());
  zlib.insert(zlib.end(), {0x03, 0x00});  // an empty final block
  PutU32(zlib, static_cast<std::uint32_t>(sum));

  Buffer png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Buffer header;
  PutU32(header, static_cast<std::uint32_t>(width));
  PutU32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, not interlaced
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return static_cast<bool>(file.flush());
}

bool WriteSparseFile(const std::string& path, std::int64_t bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool sized = ftruncate(fd, static_cast<off_t>(bytes)) == 0;
  return close(fd) == 0 && sized;
}

}  // namespace test_support
