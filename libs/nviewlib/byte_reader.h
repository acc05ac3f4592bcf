// Bounded reads over a file's bytes for the hand-written decoders: every read past the end fails
// instead of touching memory that is not the file's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "libs/nviewlib/picture.h"

namespace nviewlib {

class ByteReader {
 public:
  explicit ByteReader(Bytes bytes, std::size_t position = 0) : bytes_(bytes), position_(position) {}

  std::size_t Position() const { return position_; }
  std::size_t Remaining() const {
    return position_ < bytes_.size() ? bytes_.size() - position_ : 0;
  }
  bool Has(std::size_t count) const { return count <= Remaining(); }
  bool Seek(std::size_t position) {
    if (position > bytes_.size()) return false;
    position_ = position;
    return true;
  }
  bool Skip(std::size_t count) {
    if (!Has(count)) return false;
    position_ += count;
    return true;
  }
  // The next `count` bytes, or nothing when fewer are left.
  const std::uint8_t* Take(std::size_t count) {
    if (!Has(count)) return nullptr;
    const std::uint8_t* start = bytes_.data() + position_;
    position_ += count;
    return start;
  }
  bool U8(std::uint32_t& value) {
    const std::uint8_t* p = Take(1);
    if (p == nullptr) return false;
    value = p[0];
    return true;
  }
  bool U16(std::uint32_t& value) {
    const std::uint8_t* p = Take(2);
    if (p == nullptr) return false;
    value = static_cast<std::uint32_t>(p[0] | (p[1] << 8));
    return true;
  }
  bool U32(std::uint32_t& value) {
    const std::uint8_t* p = Take(4);
    if (p == nullptr) return false;
    value = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
            (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return true;
  }
  bool I32(std::int32_t& value) {
    std::uint32_t raw = 0;
    if (!U32(raw)) return false;
    value = static_cast<std::int32_t>(raw);
    return true;
  }

 private:
  Bytes bytes_;
  std::size_t position_;
};

}  // namespace nviewlib
