// BUTTON, STATIC and EDIT: the control classes that hold a text and, for buttons, a check.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/backend.h"
#include "platform/user/controls.h"
#include "platform/user/user_state.h"
#include "platform/user/window_system.h"

namespace platform::user {
namespace {

void EraseSurface(HWND window) {
  const PixelSurface surface = WindowSurface(window);
  if (surface.pixels == nullptr) return;
  Backend* backend = CurrentBackend();
  const std::uint32_t face = backend != nullptr ? backend->DialogFaceColour() : 0x00F0F0F0;
  for (int y = 0; y < surface.height; ++y) {
    std::fill_n(surface.pixels + static_cast<std::ptrdiff_t>(y) * surface.stride, surface.width,
                face);
  }
  PresentWindow(window, RECT{0, 0, surface.width, surface.height});
}

LONG StyleOf(LPARAM createParam) {
  return reinterpret_cast<const CREATESTRUCTA*>(createParam)->style;  // NOLINT
}

ControlKind ButtonKind(LONG style) {
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
      return ControlKind::CheckBox;
    case BS_GROUPBOX:
      return ControlKind::GroupBox;
    default:
      return ControlKind::PushButton;
  }
}

// "#100" or a bare number names an icon by id, as rc writes an ICON statement's text.
int IconIdOf(const char* text) {
  if (text == nullptr) return 0;
  if (IS_INTRESOURCE(text)) return static_cast<int>(reinterpret_cast<ULONG_PTR>(text));
  const std::string name = text[0] == '#' ? text + 1 : text;
  int id = 0;
  for (const char c : name) {
    if (c < '0' || c > '9') return 0;
    id = id * 10 + (c - '0');
  }
  return id;
}

}  // namespace

LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      const LONG style = StyleOf(lParam);
      ControlData& data = AddControl(window, ButtonKind(style));
      data.isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
      return TRUE;
    }
    case BM_GETCHECK: {
      const ControlData* data = FindControl(window);
      return data != nullptr && data->checked ? BST_CHECKED : BST_UNCHECKED;
    }
    case BM_SETCHECK: {
      ControlData* data = FindControl(window);
      if (data == nullptr || data->kind != ControlKind::CheckBox) return 0;
      data->checked = wParam == BST_CHECKED;
      NotifyChanged(window);
      return 0;
    }
    case kUserActionMessage: {
      PendingAction action{};
      ControlData* data = FindControl(window);
      if (!TakeUserAction(window, lParam, UserAction::Click, &action) || data == nullptr ||
          data->kind == ControlKind::GroupBox) {
        return 0;
      }
      LONG style = 0;
      {
        const auto record = LookUp(window);
        if (record) style = static_cast<LONG>(record->style);
      }
      if ((style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        data->checked = !data->checked;
        NotifyChanged(window);
      }
      NotifyParent(window, BN_CLICKED);
      return 0;
    }
    default:
      return DefControlProc(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK StaticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);  // NOLINT
      const LONG type = create->style & SS_TYPEMASK;
      ControlKind kind = ControlKind::Label;
      if (type == SS_ICON) kind = ControlKind::Icon;
      if (type == SS_BLACKRECT) kind = ControlKind::BlackRect;
      const bool untitled = create->lpszName == nullptr || create->lpszName[0] == '\0';
      if (kind == ControlKind::Label && untitled &&
          ((create->style & (WS_BORDER | SS_SUNKEN)) != 0 ||
           (create->dwExStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0)) {
        kind = ControlKind::Surface;
      }
      ControlData& data = AddControl(window, kind);
      if (kind == ControlKind::Icon) data.iconId = IconIdOf(create->lpszName);
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_ERASEBKGND: {
      // A drawing area shows the dialog's face where nothing is drawn, as a static control
      // paints its background on Win32.
      const ControlData* data = FindControl(window);
      if (data == nullptr || data->kind != ControlKind::Surface) {
        return DefControlProc(window, message, wParam, lParam);
      }
      EraseSurface(window);
      return 1;
    }
    default:
      return DefControlProc(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      AddControl(window, ControlKind::Edit);
      return DefWindowProcA(window, message, wParam, lParam);
    case kUserActionMessage: {
      PendingAction action{};
      if (!TakeUserAction(window, lParam, UserAction::Edit, &action)) return 0;
      SetWindowTextA(window, action.text.c_str());
      NotifyParent(window, EN_CHANGE);
      return 0;
    }
    default:
      return DefControlProc(window, message, wParam, lParam);
  }
}

}  // namespace platform::user
