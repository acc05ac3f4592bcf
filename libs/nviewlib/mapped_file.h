// A picture file's bytes mapped read-only: the decoder pages in what it reaches, so a large file
// never costs its whole size in memory before anything is known about it.
//
// A mapped file that another program cuts short while it is read would raise SIGBUS at the first
// read past its new end, which ends the program. While a MappedFile lives, such a fault on its
// own thread and inside its bytes turns the rest of the mapping into zeros and lets the read go
// on; CutShort() then tells the caller to throw away whatever it made of them. Any other SIGBUS is
// handled as it was before the first MappedFile.
#pragma once

#include <atomic>
#include <cstddef>

#include "libs/nviewlib/picture.h"

namespace nviewlib {

class MappedFile {
 public:
  // Maps `size` bytes of the open regular file `fd` (at least one).
  MappedFile(int fd, std::size_t size);
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  bool Mapped() const { return address_ != nullptr; }
  Bytes View() const { return {address_, size_}; }
  // Whether the file was cut short while mapped, so that some of View() read as zeros.
  bool CutShort() const { return cutShort_.load(std::memory_order_relaxed); }

 private:
  friend struct MappedFileGuard;
  std::size_t size_;
  const std::uint8_t* address_ = nullptr;
  MappedFile* previous_ = nullptr;  // the thread's mapping before this one, if any
  std::atomic<bool> cutShort_{false};
};

}  // namespace nviewlib
