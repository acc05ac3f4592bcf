// The binding to the picture-decoding library, NViewLib.dll, and the ways a decoded picture
// is fitted to a window. Shared by the slide show and the configuration dialog's thumbnail.
#pragma once

#include "platform/win32.h"

// Turns a picture file (full path, flag 0) into a bitmap the caller owns; null when the file
// cannot be decoded.
using NViewLibLoadProc = HBITMAP(WINAPI*)(LPCSTR path, int flag);

struct PictureLibraryRecord {
  HMODULE Module;         // null while unbound
  NViewLibLoadProc Load;  // the library's "NViewLibLoad"
};

extern PictureLibraryRecord PictureLibrary;

// Loads "NViewLib.dll" and looks up "NViewLibLoad". A library without that entry is let go
// again and counts as missing. False, with nothing bound, when either is missing; each caller
// reports that in its own way.
bool BindPictureLibrary();
// Frees the library, if bound.
void ReleasePictureLibrary();

// The whole bitmap held by `source` stretched onto the whole client rectangle of `dest`,
// the aspect ratio not kept.
void StretchToClient(HDC dest, const RECT* client, HDC source, int bitmapWidth, int bitmapHeight);
