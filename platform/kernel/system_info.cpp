#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "platform/kernel/last_error.h"
#include "platform/kernel/program_location.h"
#include "platform/kernel/registry_store.h"
#include "platform/win32.h"

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    platform::SetLastErrorCode(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The NT family: the system then skips the 95/98 password hooks.
  info->dwMajorVersion = 5;
  info->dwMinorVersion = 0;
  info->dwBuildNumber = 2195;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  return TRUE;
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
  const std::string folder = platform::ProgramFolder();
  if (folder.empty()) {
    platform::SetLastErrorCode(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  // Win32's convention: the length copied, or the size needed including the NUL, in which
  // case nothing is written (a cut folder would name a different place).
  if (buffer == nullptr || size <= folder.size()) return static_cast<UINT>(folder.size() + 1);
  std::memcpy(buffer, folder.c_str(), folder.size() + 1);
  return static_cast<UINT>(folder.size());
}

void WINAPI ExitProcess(UINT exitCode) {
  // Like Win32's ExitProcess, no static destructors run: the backends' globals hold X and Qt
  // resources whose teardown order at exit is not safe. What the programs persist is the
  // registry, whose last writes are synced here, and stdio.
  platform::registry::SyncPendingWrites();
  std::fflush(nullptr);
  _exit(static_cast<int>(exitCode));
}
