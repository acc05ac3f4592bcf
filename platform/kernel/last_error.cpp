#include "platform/kernel/last_error.h"

#include <cerrno>

namespace platform {
namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}  // namespace

void SetLastErrorCode(DWORD code) {
  lastError = code;
}

DWORD ErrorFromErrno(int errorNumber) {
  switch (errorNumber) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
    case ENOTDIR:
      return ERROR_FILE_NOT_FOUND;
    case ENOMEM:
      return ERROR_OUTOFMEMORY;
    case EINVAL:
    case ENAMETOOLONG:
      return ERROR_INVALID_PARAMETER;
    default:
      return ERROR_ACCESS_DENIED;
  }
}

}  // namespace platform

DWORD WINAPI GetLastError() {
  return platform::lastError;
}
