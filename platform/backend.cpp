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

Backend* CurrentBackend() {
  return InstalledBackend().get();
}

}  // namespace platform
