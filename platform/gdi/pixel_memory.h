// The memory a bitmap's pixels live in, cheap to come by for the slide show's large pictures.
//
// Contract:
//   - A PixelMemory owns `size()` pixels at `data()`, moves and never copies; an empty one owns
//     nothing. Zeroed() reads as all zero; Unfilled() holds anything, and its caller writes every
//     pixel it will read. Both throw std::bad_alloc when there is no memory.
//   - Buffers of kLargePixelBytes or more are their own anonymous mapping, aligned to 2 MiB and
//     offered transparent huge pages. Freeing one keeps it as the process's single spare (up to
//     kMaxSpareBytes); the next large request that fits it and wastes at most half of it takes it
//     over, without a page fault. A request the spare cannot serve releases it before anything
//     new is mapped, so the spare and a new buffer are never held together.
//   - Every call is safe from any thread.
// The picture library, a module of its own, uses the program's PixelMemory, so the spare is
// shared by every decode in the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>

namespace platform::gdi {

inline constexpr std::size_t kLargePixelBytes = std::size_t{1} << 20;
inline constexpr std::size_t kMaxSpareBytes = std::size_t{256} << 20;

// Frees what a PixelMemory holds: to the heap, or as a large buffer to the spare.
struct [[gnu::visibility("default")]] PixelRelease {
  std::size_t mappedBytes = 0;  // 0: the buffer came from the heap
  void operator()(std::uint32_t* pixels) const noexcept;
};

class [[gnu::visibility("default")]] PixelMemory {
 public:
  using value_type = std::uint32_t;
  using iterator = std::uint32_t*;
  using const_iterator = const std::uint32_t*;

  static PixelMemory Zeroed(std::size_t count);
  static PixelMemory Unfilled(std::size_t count);
  static PixelMemory CopyOf(std::span<const std::uint32_t> pixels);

  PixelMemory() = default;
  PixelMemory(PixelMemory && other) noexcept
      : pixels_(std::move(other.pixels_)), count_(std::exchange(other.count_, 0)) {}
  PixelMemory& operator=(PixelMemory&& other) noexcept {
    pixels_ = std::move(other.pixels_);
    count_ = std::exchange(other.count_, 0);
    return *this;
  }
  PixelMemory(const PixelMemory&) = delete;
  PixelMemory& operator=(const PixelMemory&) = delete;
  ~PixelMemory() = default;

  std::uint32_t* data() {
    return pixels_.get();
  }
  const std::uint32_t* data() const {
    return pixels_.get();
  }
  std::size_t size() const {
    return count_;
  }
  bool empty() const {
    return count_ == 0;
  }
  std::span<std::uint32_t> Span() {
    return {data(), count_};
  }
  std::span<const std::uint32_t> Span() const {
    return {data(), count_};
  }
  iterator begin() {
    return data();
  }
  iterator end() {
    return data() + count_;
  }
  const_iterator begin() const {
    return data();
  }
  const_iterator end() const {
    return data() + count_;
  }
  std::uint32_t& operator[](std::size_t index) {
    return pixels_[index];
  }
  const std::uint32_t& operator[](std::size_t index) const {
    return pixels_[index];
  }

  friend bool operator==(const PixelMemory& a, const PixelMemory& b);

 private:
  PixelMemory(std::unique_ptr<std::uint32_t[], PixelRelease> pixels, std::size_t count)
      : pixels_(std::move(pixels)), count_(count) {}

  std::unique_ptr<std::uint32_t[], PixelRelease> pixels_;
  std::size_t count_ = 0;
};

// What large buffers hold in mappings: for tests and benchmarks.
struct PixelMemoryFigures {
  std::size_t mappedBytes = 0;      // now, the spare included
  std::size_t peakMappedBytes = 0;  // the most at once since ResetPixelMemoryPeak
  std::size_t spareBytes = 0;
  std::size_t mappingsMade = 0;  // since the process began: what the spare did not spare
};
[[gnu::visibility("default")]] PixelMemoryFigures PixelMemoryNow();
[[gnu::visibility("default")]] void ResetPixelMemoryPeak();

// Unmaps the spare, if there is one.
[[gnu::visibility("default")]] void ReleaseSparePixels();

}  // namespace platform::gdi
