// The picture-decoding library ("NViewLib.dll"): one call that turns a picture file into a bitmap
// of the program's GDI.
//
// Kinds are told from the file's content, never its name: JPEG, BMP, GIF (first frame), TIFF
// (first page), PCX, PNG and WebP. Pictures are refused, from their declared size and before
// anything is allocated, beyond 32,768 pixels a side or 256 megapixels; files beyond 1.25 GiB are
// not read. A file's kind is told from its first bytes before the rest is looked at, and the rest
// is mapped, never copied whole into memory. Transparency is shown over black.
//
// A decode asks the program that loaded the library (platform/user/long_job.h), before it
// allocates and then every few rows, whether to give up: when the show it is for is ending, it
// returns no bitmap at once instead of finishing.
#pragma once

#include "libs/nviewlib/picture.h"
#include "platform/win32.h"

// The library's only export. `flag` is ignored (every caller passes 0). Returns a bitmap the
// caller owns (DeleteObject), or null when the file is missing, unreadable, of an unknown kind,
// too large, truncated or corrupt.
extern "C" __attribute__((visibility("default"))) HBITMAP WINAPI NViewLibLoad(LPCSTR path,
                                                                              int flag);

namespace nviewlib {

// NViewLibLoad after the file has been read: the bitmap for a whole file's bytes, or null.
HBITMAP LoadPictureBitmap(Bytes file, StopQuery stop = nullptr);
// NViewLibLoad with the question it asks between rows given by the caller.
HBITMAP LoadPictureFile(const char* path, StopQuery stop);

}  // namespace nviewlib
