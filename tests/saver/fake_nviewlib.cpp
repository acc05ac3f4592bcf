// A picture library for tests: decodes through the test program, which knows its pictures.
#include "platform/win32.h"

extern "C" HBITMAP TavrinTestDecodePicture(const char* path);

extern "C" __attribute__((visibility("default"))) HBITMAP NViewLibLoad(LPCSTR path, int /*flag*/) {
  return TavrinTestDecodePicture(path);
}
