// A dialog template as the resource compiler leaves it: what DialogBoxParam builds a dialog
// from. The build turns resources/*.rc into these tables and registers each one as a
// ResourceType::Dialog resource whose data points at its DialogTemplate.
#pragma once

#include <cstddef>

#include "platform/win32.h"

namespace platform {

struct DialogItemTemplate {
  int id;                 // -1 for none (IDC_STATIC)
  const char* className;  // "BUTTON", "EDIT", "STATIC", "LISTBOX", "COMBOBOX", "msctls_updown32"
  const char* text;  // as the script spells it, with "&&" already made "&" and "\n" a line feed
  DWORD style;       // the whole style, WS_CHILD and WS_VISIBLE included where the script has them
  DWORD exStyle;
  short x, y, width, height;  // dialog units
  int iconId;                 // SS_ICON: the icon resource the text names by number; 0 otherwise
};

struct DialogTemplate {
  DWORD style;
  DWORD exStyle;
  short x, y, width, height;  // dialog units
  const char* caption;
  const char* fontName;  // DS_SETFONT: face and point size
  int pointSize;
  const DialogItemTemplate* items;  // in template order, which is the tab order
  std::size_t itemCount;
};

}  // namespace platform
