#include "libs/nviewlib/nviewlib.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "libs/nviewlib/mapped_file.h"
#include "libs/nviewlib/picture_decoder.h"
#include "platform/gdi/pixel_bitmap.h"

// Resolved from the program that loads the library, like GDI (platform/user/long_job.h). Weak: a
// program that offers no such query simply never has a decode given up.
namespace platform {
[[gnu::weak]] bool LongJobShouldStop();
}  // namespace platform

namespace nviewlib {
namespace {

// An uncompressed 32-bit BMP at the largest size allowed, with room for its headers.
constexpr std::int64_t kMaxFileBytes = std::int64_t{5} << 28;

class OpenFile {
 public:
  explicit OpenFile(const char* path) : fd_(open(path, O_RDONLY | O_CLOEXEC)) {}
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() {
    if (fd_ >= 0) close(fd_);
  }
  int Descriptor() const { return fd_; }

 private:
  int fd_;
};

// Up to kSniffBytes from the start of the file; fewer for a shorter file, none on a read error.
std::size_t ReadHead(int fd, std::array<std::uint8_t, kSniffBytes>& head) {
  std::size_t done = 0;
  while (done < head.size()) {
    const ssize_t got = pread(fd, head.data() + done, head.size() - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return 0;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool ProgramWantsUsToStop() {
  return platform::LongJobShouldStop != nullptr && platform::LongJobShouldStop();
}

}  // namespace

HBITMAP LoadPictureBitmap(Bytes file, StopQuery stop) {
  std::optional<Picture> picture = DecodePicture(file, stop);
  if (!picture) return nullptr;
  return platform::gdi::AdoptPixels(picture->width, picture->height, std::move(picture->pixels));
}

HBITMAP LoadPictureFile(const char* path, StopQuery stop) {
  const OpenFile file(path);
  if (file.Descriptor() < 0) return nullptr;
  struct stat info {};
  if (fstat(file.Descriptor(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_size > kMaxFileBytes) {
    return nullptr;
  }
  // Whatever the file's size, a file that is no picture is refused from its first bytes.
  std::array<std::uint8_t, kSniffBytes> head{};
  const std::size_t headBytes = ReadHead(file.Descriptor(), head);
  if (SniffKind(Bytes(head).first(headBytes)) == PictureKind::Unknown || ShouldStop(stop)) {
    return nullptr;
  }
  const MappedFile mapped(file.Descriptor(), static_cast<std::size_t>(info.st_size));
  if (!mapped.Mapped()) return nullptr;
  std::optional<Picture> picture = DecodePicture(mapped.View(), stop);
  // A file cut short while it was read is refused, as a truncated one is.
  if (!picture || mapped.CutShort()) return nullptr;
  return platform::gdi::AdoptPixels(picture->width, picture->height, std::move(picture->pixels));
}

}  // namespace nviewlib

extern "C" HBITMAP WINAPI NViewLibLoad(LPCSTR path, int /*flag*/) {
  if (path == nullptr) return nullptr;
  return nviewlib::LoadPictureFile(path, nviewlib::ProgramWantsUsToStop);
}
