// The calling thread's last-error code, set by the platform's Win32 functions.
#pragma once

#include "platform/win32.h"

namespace platform {

void SetLastErrorCode(DWORD code);

// The Win32 error closest to an errno value (ERROR_ACCESS_DENIED for anything unexpected).
DWORD ErrorFromErrno(int errorNumber);

}  // namespace platform
