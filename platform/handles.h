// Handle values. Handles are small integers tagged by kind, never pointers, so that a stale or
// foreign handle can be looked up safely and an X window id can be told from our own window.
#pragma once

#include <cstdint>

namespace platform {

// X window ids use at most 29 bits, so our own kinds sit above them.
inline constexpr std::uintptr_t kWindowHandleBase = 0x40000000;
inline constexpr std::uintptr_t kDcHandleBase = 0x50000000;
inline constexpr std::uintptr_t kGdiObjectHandleBase = 0x60000000;
inline constexpr std::uintptr_t kStockObjectHandleBase = 0x6F000000;
inline constexpr std::uintptr_t kProcessHandleBase = 0x70000000;
inline constexpr std::uintptr_t kKeyHandleBase = 0x30000000;
inline constexpr std::uintptr_t kModuleHandleBase = 0x20000000;
inline constexpr std::uintptr_t kHandleKindMask = 0xFF000000;
// The program's own module: GetModuleHandle(nullptr), and the hInstance the host passes on.
inline constexpr std::uintptr_t kProgramInstanceHandle = kModuleHandleBase;

template <class Handle>
Handle MakeHandle(std::uintptr_t value) {
  return reinterpret_cast<Handle>(value);  // NOLINT(performance-no-int-to-ptr)
}

inline std::uintptr_t HandleValue(const void* handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}

}  // namespace platform
