// NViewLib.dll on Windows: the file is opened and mapped with Win32, and the bitmap is a DIB
// section over the decoded pixels.
#include <array>

#include "libs/nviewlib/nviewlib.h"
#include "libs/nviewlib/picture_decoder.h"
#include "platform/gdi/pixel_bitmap.h"

namespace nviewlib {
namespace {

// An uncompressed 32-bit BMP at the largest size allowed, with room for its headers.
constexpr std::int64_t kMaxFileBytes = std::int64_t{5} << 28;

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// A read-only view of a whole file. Windows refuses to cut short a file that has a view, so the
// bytes cannot change size under the decoder.
class FileView {
 public:
  FileView(HANDLE file, std::size_t size)
      : mapping_(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr)), size_(size) {
    if (mapping_.Get() != nullptr) {
      address_ = static_cast<const std::uint8_t*>(
          MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, size));
    }
  }
  FileView(const FileView&) = delete;
  FileView& operator=(const FileView&) = delete;
  ~FileView() {
    if (address_ != nullptr) UnmapViewOfFile(address_);
  }
  bool Mapped() const { return address_ != nullptr; }
  Bytes View() const { return {address_, size_}; }

 private:
  Handle mapping_;
  std::size_t size_;
  const std::uint8_t* address_ = nullptr;
};

std::size_t ReadHead(HANDLE file, std::array<std::uint8_t, kSniffBytes>& head) {
  DWORD got = 0;
  if (ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &got, nullptr) == FALSE)
    return 0;
  return got;
}

// The full-screen show ends on input to its window: a decode for it gives up then, as the show
// would stop anyway. A dialog's or a preview's decode never does.
bool ShowWantsUsToStop() {
  HWND show = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
  if (show == nullptr || GetWindowThreadProcessId(show, nullptr) != GetCurrentThreadId()) {
    return false;
  }
  return HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON)) != 0;
}

}  // namespace

HBITMAP LoadPictureBitmap(Bytes file, StopQuery stop) {
  std::optional<Picture> picture = DecodePicture(file, stop);
  if (!picture) return nullptr;
  return platform::gdi::AdoptPixels(picture->width, picture->height, std::move(picture->pixels));
}

HBITMAP LoadPictureFile(const char* path, StopQuery stop) {
  const Handle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (file.Get() == nullptr) return nullptr;
  LARGE_INTEGER size{};
  if (GetFileType(file.Get()) != FILE_TYPE_DISK || GetFileSizeEx(file.Get(), &size) == FALSE ||
      size.QuadPart <= 0 || size.QuadPart > kMaxFileBytes) {
    return nullptr;
  }
  // Whatever the file's size, a file that is no picture is refused from its first bytes.
  std::array<std::uint8_t, kSniffBytes> head{};
  const std::size_t headBytes = ReadHead(file.Get(), head);
  if (SniffKind(Bytes(head).first(headBytes)) == PictureKind::Unknown || ShouldStop(stop)) {
    return nullptr;
  }
  const FileView mapped(file.Get(), static_cast<std::size_t>(size.QuadPart));
  if (!mapped.Mapped()) return nullptr;
  std::optional<Picture> picture = DecodePicture(mapped.View(), stop);
  if (!picture) return nullptr;
  return platform::gdi::AdoptPixels(picture->width, picture->height, std::move(picture->pixels));
}

}  // namespace nviewlib

extern "C" HBITMAP WINAPI NViewLibLoad(LPCSTR path, int /*flag*/) {
  if (path == nullptr) return nullptr;
  return nviewlib::LoadPictureFile(path, nviewlib::ShowWantsUsToStop);
}
