#include "player/session_lock.h"

#include "platform/win32.h"

// A named mutex in the session's namespace: Windows drops the name when the last process holding
// it ends, however it ends, so a killed player never keeps the next one silent.
bool TakeSessionPlayerLock() {
  SetLastError(ERROR_SUCCESS);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, "Local\\TavrinSongPlayer");
  if (mutex == nullptr) return true;  // no lock to be had: play rather than stay silent
  if (GetLastError() != ERROR_ALREADY_EXISTS) return true;  // the handle stays open: it is the lock
  CloseHandle(mutex);
  return false;
}
