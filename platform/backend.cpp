#include "platform/backend.h"

#include <utility>

namespace platform {
namespace {
std::unique_ptr<Backend>& InstalledBackend() {
  static std::unique_ptr<Backend> backend;
  return backend;
}
}  // namespace

void InstallBackend(std::unique_ptr<Backend> backend) {
  InstalledBackend() = std::move(backend);
}

std::unique_ptr<Backend> ReleaseBackend() {
  return std::move(InstalledBackend());
}

Backend* CurrentBackend() {
  return InstalledBackend().get();
}

}  // namespace platform
