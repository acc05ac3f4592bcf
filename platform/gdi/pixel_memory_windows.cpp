// Pixel memory on Windows. Large buffers are views of pagefile-backed sections, so that the
// picture library's bitmap (CreateDIBSection over the section) takes the decoded pixels over
// without a copy. The bitmap keeps the memory, so there is no spare to keep: a freed buffer's
// view and handle are simply closed.
#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <new>

#include "platform/gdi/pixel_memory.h"
#include "platform/gdi/pixel_section_windows.h"

namespace platform::gdi {
namespace {

// The sections and the figures, behind a slim lock: a constant-initialised std::mutex does not
// compile with MinGW's threads. Never destroyed, so that a bitmap freed by another static's
// destructor at exit still finds it.
struct LargeBuffers {
  SRWLOCK lock = SRWLOCK_INIT;
  std::map<const std::uint32_t*, HANDLE>* sections = nullptr;
  std::size_t mappedBytes = 0;
  std::size_t peakMappedBytes = 0;
  std::size_t mappingsMade = 0;
};
LargeBuffers buffers;

class Locked {
 public:
  Locked() { AcquireSRWLockExclusive(&buffers.lock); }
  ~Locked() { ReleaseSRWLockExclusive(&buffers.lock); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
};

std::map<const std::uint32_t*, HANDLE>& Sections() {
  if (buffers.sections == nullptr) buffers.sections = new std::map<const std::uint32_t*, HANDLE>;
  return *buffers.sections;
}

// A fresh section of `bytes` and a view of it; fresh sections read as zero.
std::uint32_t* MapSection(std::size_t bytes) {
  const auto size = static_cast<unsigned long long>(bytes);
  HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                      static_cast<DWORD>(size >> 32),
                                      static_cast<DWORD>(size & 0xFFFFFFFFU), nullptr);
  if (section == nullptr) throw std::bad_alloc();
  void* view = MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, bytes);
  if (view == nullptr) {
    CloseHandle(section);
    throw std::bad_alloc();
  }
  auto* pixels = static_cast<std::uint32_t*>(view);
  const Locked lock;
  Sections()[pixels] = section;
  buffers.mappedBytes += bytes;
  ++buffers.mappingsMade;
  buffers.peakMappedBytes = std::max(buffers.peakMappedBytes, buffers.mappedBytes);
  return pixels;
}

using Owner = std::unique_ptr<std::uint32_t[], PixelRelease>;

Owner Allocate(std::size_t count, bool zeroed) {
  if (count > std::numeric_limits<std::size_t>::max() / sizeof(std::uint32_t))
    throw std::bad_alloc();
  const std::size_t bytes = count * sizeof(std::uint32_t);
  if (bytes < kLargePixelBytes) {
    return {zeroed ? new std::uint32_t[count]() : new std::uint32_t[count], PixelRelease{}};
  }
  return {MapSection(bytes), PixelRelease{bytes}};
}

}  // namespace

void PixelRelease::operator()(std::uint32_t* pixels) const noexcept {
  if (mappedBytes == 0) {
    delete[] pixels;  // NOLINT: the heap buffers of PixelMemory are new[]'s
    return;
  }
  HANDLE section = nullptr;
  {
    const Locked lock;
    auto found = Sections().find(pixels);
    if (found != Sections().end()) {
      section = found->second;
      Sections().erase(found);
    }
    buffers.mappedBytes -= mappedBytes;
  }
  UnmapViewOfFile(pixels);
  if (section != nullptr) CloseHandle(section);
}

HANDLE SectionOfPixels(const std::uint32_t* pixels) {
  const Locked lock;
  auto found = Sections().find(pixels);
  return found != Sections().end() ? found->second : nullptr;
}

PixelMemory PixelMemory::Zeroed(std::size_t count) {
  return {Allocate(count, true), count};
}

PixelMemory PixelMemory::Unfilled(std::size_t count) {
  return {Allocate(count, false), count};
}

PixelMemory PixelMemory::CopyOf(std::span<const std::uint32_t> pixels) {
  PixelMemory copy = Unfilled(pixels.size());
  std::copy(pixels.begin(), pixels.end(), copy.begin());
  return copy;
}

bool operator==(const PixelMemory& a, const PixelMemory& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

PixelMemoryFigures PixelMemoryNow() {
  const Locked lock;
  return {buffers.mappedBytes, buffers.peakMappedBytes, 0, buffers.mappingsMade};
}

void ResetPixelMemoryPeak() {
  const Locked lock;
  buffers.peakMappedBytes = buffers.mappedBytes;
}

// Nothing is kept for later.
void ReleaseSparePixels() {}

}  // namespace platform::gdi
