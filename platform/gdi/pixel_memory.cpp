#include "platform/gdi/pixel_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <type_traits>

namespace platform::gdi {
namespace {

constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// The spare and the figures, behind one lock. Trivially destroyed, so that a bitmap freed by
// another static's destructor at exit still finds it.
struct LargeBuffers {
  std::mutex mutex;
  std::uint32_t* spare = nullptr;
  std::size_t spareBytes = 0;
  std::size_t mappedBytes = 0;
  std::size_t peakMappedBytes = 0;
  std::size_t mappingsMade = 0;
};
static_assert(std::is_trivially_destructible_v<LargeBuffers>);
constinit LargeBuffers buffers;

// Whole pages: the huge pages cover the mapping's whole 2 MiB stretches, small pages the rest, so
// that nothing beyond the pixels becomes resident.
std::size_t MappingBytesFor(std::size_t bytes) {
  static const auto kPageBytes = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return (bytes + kPageBytes - 1) / kPageBytes * kPageBytes;
}

// Whether the spare may serve a request: big enough, and not holding twice what is needed.
bool SpareServes(std::size_t spareBytes, std::size_t neededBytes) {
  return spareBytes >= neededBytes && spareBytes / 2 <= neededBytes;
}

// Mappings are counted where they are made and unmade, so the figures show their true order.
void Unmap(std::uint32_t* pixels, std::size_t bytes) {
  if (pixels == nullptr) return;
  munmap(pixels, bytes);
  const std::lock_guard lock(buffers.mutex);
  buffers.mappedBytes -= bytes;
}

// A fresh anonymous mapping of `bytes` (whole pages) on a 2 MiB boundary, which the
// kernel then backs with huge pages where it can. Fresh mappings read as zero.
std::uint32_t* MapAligned(std::size_t bytes) {
  const std::size_t padded = bytes + kHugePageBytes;
  void* mapped = mmap(nullptr, padded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
  auto* const head = static_cast<char*>(mapped);
  auto* const body = head + (aligned - start);
  if (body != head) munmap(head, static_cast<std::size_t>(body - head));
  const std::size_t tail = padded - static_cast<std::size_t>(body - head) - bytes;
  if (tail != 0) munmap(body + bytes, tail);
  madvise(body, bytes, MADV_HUGEPAGE);
  {
    const std::lock_guard lock(buffers.mutex);
    buffers.mappedBytes += bytes;
    ++buffers.mappingsMade;
    buffers.peakMappedBytes = std::max(buffers.peakMappedBytes, buffers.mappedBytes);
  }
  return static_cast<std::uint32_t*>(static_cast<void*>(body));
}

using Owner = std::unique_ptr<std::uint32_t[], PixelRelease>;

// The spare when it serves `bytes` (`reused` set); otherwise the spare unmapped, then a fresh
// mapping.
Owner TakeLargeBuffer(std::size_t bytes, bool& reused) {
  std::uint32_t* released = nullptr;
  std::size_t releasedBytes = 0;
  {
    const std::lock_guard lock(buffers.mutex);
    reused = buffers.spare != nullptr && SpareServes(buffers.spareBytes, bytes);
    if (reused) {
      return {std::exchange(buffers.spare, nullptr),
              PixelRelease{std::exchange(buffers.spareBytes, 0)}};
    }
    released = std::exchange(buffers.spare, nullptr);
    releasedBytes = std::exchange(buffers.spareBytes, 0);
  }
  Unmap(released, releasedBytes);
  return {MapAligned(bytes), PixelRelease{bytes}};
}

Owner Allocate(std::size_t count, bool zeroed) {
  if (count > std::numeric_limits<std::size_t>::max() / sizeof(std::uint32_t))
    throw std::bad_alloc();
  const std::size_t bytes = count * sizeof(std::uint32_t);
  if (bytes < kLargePixelBytes) {
    // Value-initialised (zero) or left as it comes.
    return {zeroed ? new std::uint32_t[count]() : new std::uint32_t[count], PixelRelease{}};
  }
  bool reused = false;
  Owner pixels = TakeLargeBuffer(MappingBytesFor(bytes), reused);
  if (reused && zeroed) std::memset(pixels.get(), 0, bytes);
  return pixels;
}

}  // namespace

void PixelRelease::operator()(std::uint32_t* pixels) const noexcept {
  if (mappedBytes == 0) {
    delete[] pixels;  // NOLINT: the heap buffers of PixelMemory are new[]'s
    return;
  }
  if (mappedBytes > kMaxSpareBytes) {
    Unmap(pixels, mappedBytes);
    return;
  }
  // The kernel may take the pages back under memory pressure until they are written again; a
  // reuse that finds them taken sees zeros, which an unfilled buffer allows.
  madvise(pixels, mappedBytes, MADV_FREE);
  std::uint32_t* dropped = pixels;
  std::size_t droppedBytes = mappedBytes;
  {
    const std::lock_guard lock(buffers.mutex);
    // One spare: the larger of the two is the likelier to serve the next picture.
    if (buffers.spareBytes < mappedBytes) {
      std::swap(dropped, buffers.spare);
      std::swap(droppedBytes, buffers.spareBytes);
    }
  }
  Unmap(dropped, droppedBytes);
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
  const std::lock_guard lock(buffers.mutex);
  return {buffers.mappedBytes, buffers.peakMappedBytes, buffers.spareBytes, buffers.mappingsMade};
}

void ResetPixelMemoryPeak() {
  const std::lock_guard lock(buffers.mutex);
  buffers.peakMappedBytes = buffers.mappedBytes;
}

void ReleaseSparePixels() {
  std::uint32_t* released = nullptr;
  std::size_t releasedBytes = 0;
  {
    const std::lock_guard lock(buffers.mutex);
    released = std::exchange(buffers.spare, nullptr);
    releasedBytes = std::exchange(buffers.spareBytes, 0);
  }
  Unmap(released, releasedBytes);
}

}  // namespace platform::gdi
