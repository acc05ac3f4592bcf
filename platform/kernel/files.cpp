#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include "platform/kernel/last_error.h"
#include "platform/win32.h"

HFILE WINAPI OpenFile(LPCSTR path, LPOFSTRUCT info, UINT style) {
  if (info != nullptr) {
    std::memset(info, 0, sizeof *info);
    info->cBytes = sizeof *info;
  }
  if (path == nullptr || style != OF_EXIST) {
    platform::SetLastErrorCode(ERROR_INVALID_PARAMETER);
    if (info != nullptr) info->nErrCode = ERROR_INVALID_PARAMETER;
    return HFILE_ERROR;
  }
  struct stat status {};
  DWORD error = ERROR_SUCCESS;
  if (stat(path, &status) != 0) {
    error = platform::ErrorFromErrno(errno);
  } else if (!S_ISREG(status.st_mode)) {
    error = ERROR_ACCESS_DENIED;  // what Win32 answers for a folder
  }
  if (error != ERROR_SUCCESS) {
    platform::SetLastErrorCode(error);
    if (info != nullptr) info->nErrCode = static_cast<WORD>(error);
    return HFILE_ERROR;
  }
  // The structure's name field is short; a path that does not fit is left out, never cut.
  const std::size_t length = std::strlen(path);
  if (info != nullptr && length < sizeof info->szPathName) {
    std::memcpy(info->szPathName, path, length + 1);
  }
  platform::SetLastErrorCode(ERROR_SUCCESS);
  return 0;
}
