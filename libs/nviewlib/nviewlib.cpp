#include "libs/nviewlib/nviewlib.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "libs/nviewlib/picture_decoder.h"
#include "platform/gdi/pixel_bitmap.h"

namespace nviewlib {
namespace {

// An uncompressed 32-bit BMP at the largest size allowed, with room for its headers.
constexpr std::int64_t kMaxFileBytes = std::int64_t{5} << 28;

struct OpenFile {
  int fd;
  explicit OpenFile(int descriptor) : fd(descriptor) {}
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() {
    if (fd >= 0) close(fd);
  }
};

// A regular file's whole content, or nothing.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const char* path) {
  const OpenFile file{open(path, O_RDONLY | O_CLOEXEC)};
  const int fd = file.fd;
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileBytes) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(static_cast<std::size_t>(info.st_size));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the file shrank while being read: decode what is there
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace

HBITMAP LoadPictureBitmap(Bytes file) {
  std::optional<Picture> picture = DecodePicture(file);
  if (!picture) return nullptr;
  return platform::gdi::AdoptPixels(picture->width, picture->height, std::move(picture->pixels));
}

}  // namespace nviewlib

extern "C" HBITMAP WINAPI NViewLibLoad(LPCSTR path, int /*flag*/) {
  if (path == nullptr) return nullptr;
  const std::optional<std::vector<std::uint8_t>> file = nviewlib::ReadWholeFile(path);
  if (!file) return nullptr;
  return nviewlib::LoadPictureBitmap(*file);
}
