#include "saver/picture_library.h"

PictureLibraryRecord PictureLibrary = {};

bool BindPictureLibrary() {
  ReleasePictureLibrary();
  HMODULE module = LoadLibrary("NViewLib.dll");
  if (module == nullptr) return false;
  FARPROC entry = GetProcAddress(module, "NViewLibLoad");
  if (entry == nullptr) {
    // A library that cannot decode is no library: calling through a null entry would crash.
    FreeLibrary(module);
    return false;
  }
  PictureLibrary.Module = module;
  // Through the generic function type, as GetProcAddress's callers must.
  PictureLibrary.Load =
      reinterpret_cast<NViewLibLoadProc>(reinterpret_cast<void (*)()>(entry));  // NOLINT
  return true;
}

void ReleasePictureLibrary() {
  if (PictureLibrary.Module != nullptr) FreeLibrary(PictureLibrary.Module);
  PictureLibrary.Module = nullptr;
  PictureLibrary.Load = nullptr;
}

void StretchToClient(HDC dest, const RECT* client, HDC source, int bitmapWidth, int bitmapHeight) {
  SetStretchBltMode(dest, COLORONCOLOR);
  StretchBlt(dest, client->left, client->top, client->right, client->bottom, source, 0, 0,
             bitmapWidth, bitmapHeight, SRCCOPY);
}
