#include "platform/kernel/program_location.h"

#include <filesystem>
#include <system_error>

namespace platform {

std::string ProgramFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !program.is_absolute()) return {};
  std::string folder = program.parent_path().string();
  return folder.empty() ? std::string("/") : folder;
}

}  // namespace platform
