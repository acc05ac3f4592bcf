#include "libs/nviewlib/mapped_file.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <mutex>

namespace nviewlib {

// The signal handler's view of the mappings: the calling thread's newest one, and what SIGBUS
// did before the handler was installed.
struct MappedFileGuard {
  static inline thread_local MappedFile* current = nullptr;
  static inline struct sigaction previous {};
  static inline std::uintptr_t pageSize = 4096;
  static inline bool installed = false;

  static void Install() {
    static std::once_flag once;
    std::call_once(once, [] {
      pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
      struct sigaction action {};
      action.sa_sigaction = OnBusError;
      sigemptyset(&action.sa_mask);
      action.sa_flags = SA_SIGINFO | SA_NODEFER;
      installed = sigaction(SIGBUS, &action, &previous) == 0;
    });
  }

  // Unloading the library would take the handler's code with it: what was there before comes
  // back, unless someone has put a handler of their own in since.
  static void Uninstall() {
    struct sigaction now {};
    if (!installed || sigaction(SIGBUS, nullptr, &now) != 0) return;
    if ((now.sa_flags & SA_SIGINFO) != 0 && now.sa_sigaction == OnBusError) {
      sigaction(SIGBUS, &previous, nullptr);
    }
  }

  // Only async-signal-safe calls: mmap, sigaction, and the previous handler.
  static void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (MappedFile* file = current; file != nullptr; file = file->previous_) {
      const auto start = reinterpret_cast<std::uintptr_t>(file->address_);
      if (address < start || address >= start + file->size_) continue;
      const std::uintptr_t page = address & ~(pageSize - 1);
      // Zero pages from the fault on: the read that faulted is retried and finds a zero.
      void* zeros = mmap(reinterpret_cast<void*>(page), start + file->size_ - page,  // NOLINT
                         PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
      if (zeros == MAP_FAILED) break;
      file->cutShort_.store(true, std::memory_order_relaxed);
      return;
    }
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
      previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
      previous.sa_handler(signal);
    } else {
      // Returning retries the faulting read, which now ends the program as it would have.
      sigaction(SIGBUS, &previous, nullptr);
    }
  }
};

namespace {
struct UninstallAtUnload {
  UninstallAtUnload() = default;
  UninstallAtUnload(const UninstallAtUnload&) = delete;
  UninstallAtUnload& operator=(const UninstallAtUnload&) = delete;
  ~UninstallAtUnload() { MappedFileGuard::Uninstall(); }
} uninstallAtUnload;
}  // namespace

MappedFile::MappedFile(int fd, std::size_t size) : size_(size) {
  MappedFileGuard::Install();
  void* address = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (address == MAP_FAILED) return;
  address_ = static_cast<const std::uint8_t*>(address);
  previous_ = MappedFileGuard::current;
  MappedFileGuard::current = this;
}

MappedFile::~MappedFile() {
  if (address_ == nullptr) return;
  MappedFileGuard::current = previous_;
  munmap(const_cast<std::uint8_t*>(address_), size_);  // NOLINT: munmap takes it non-const
}

}  // namespace nviewlib
