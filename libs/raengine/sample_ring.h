// Samples decoded ahead of the output: one thread writes, the audio callback reads, and neither
// ever waits for the other.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace raengine {

class SampleRing {
 public:
  // Empties the ring and gives it room for `capacity` samples. Only while neither side runs.
  void Reset(std::size_t capacity) {
    buffer_.assign(capacity, 0);
    written_.store(0, std::memory_order_relaxed);
    read_.store(0, std::memory_order_relaxed);
    ended_.store(false, std::memory_order_relaxed);
  }

  // The writer's side.
  std::size_t Room() const {
    return buffer_.size() -
           (written_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire));
  }
  // Copies as many of `count` samples as there is room for; returns how many.
  std::size_t Write(const std::int16_t* in, std::size_t count) {
    const std::size_t at = written_.load(std::memory_order_relaxed);
    count = std::min(count, Room());
    for (std::size_t i = 0; i < count; ++i) buffer_[(at + i) % buffer_.size()] = in[i];
    written_.store(at + count, std::memory_order_release);
    return count;
  }
  // No more samples will come: the clip has been decoded to its end.
  void MarkEnded() { ended_.store(true, std::memory_order_release); }

  // The reader's side. Ended() is asked before Read, so a true answer covers every sample.
  bool Ended() const { return ended_.load(std::memory_order_acquire); }
  std::size_t Available() const {
    return written_.load(std::memory_order_acquire) - read_.load(std::memory_order_relaxed);
  }
  std::size_t Read(std::int16_t* out, std::size_t count) {
    const std::size_t at = read_.load(std::memory_order_relaxed);
    count = std::min(count, Available());
    for (std::size_t i = 0; i < count; ++i) out[i] = buffer_[(at + i) % buffer_.size()];
    read_.store(at + count, std::memory_order_release);
    return count;
  }

 private:
  std::vector<std::int16_t> buffer_;
  std::atomic<std::size_t> written_{0};
  std::atomic<std::size_t> read_{0};
  std::atomic<bool> ended_{false};
};

}  // namespace raengine
