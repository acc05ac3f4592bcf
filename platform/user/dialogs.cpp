// Modal dialogs built from the templates under resources/, and the calls that address a
// dialog's controls by id.
#include <algorithm>
#include <memory>
#include <mutex>

#include "platform/backend.h"
#include "platform/dialog_template.h"
#include "platform/handles.h"
#include "platform/resources.h"
#include "platform/user/controls.h"
#include "platform/user/user_state.h"

namespace platform::user {
namespace {

constexpr char kDefaultDialogFont[] = "MS Sans Serif";
constexpr int kDefaultPointSize = 8;

const DialogTemplate* FindTemplate(LPCSTR name) {
  const Resource* resource = FindResource(ResourceType::Dialog, name);
  if (resource == nullptr || resource->size != sizeof(DialogTemplate)) return nullptr;
  return reinterpret_cast<const DialogTemplate*>(resource->data);  // NOLINT
}

void FontUnits(const char* face, int pointSize, int* baseX, int* baseY) {
  *baseX = 6;
  *baseY = 13;
  if (Backend* backend = CurrentBackend()) backend->DialogFontUnits(face, pointSize, baseX, baseY);
  *baseX = std::max(*baseX, 1);
  *baseY = std::max(*baseY, 1);
}

RECT Pixels(short x, short y, short width, short height, const DialogData& dialog) {
  const RECT units{x, y, x + width, y + height};
  return DialogUnitsToPixels(units, dialog.baseX, dialog.baseY);
}

HWND DefaultButton(const DialogData& dialog) {
  for (HWND control : dialog.controls) {
    const ControlData* data = FindControl(control);
    if (data != nullptr && data->isDefault) return control;
  }
  return nullptr;
}

// A button id pressed from the keyboard: nothing happens while that button is disabled.
void PressButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (button != nullptr && IsWindowEnabled(button) == FALSE) return;
  SendMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(MAKELONG(static_cast<WORD>(id), BN_CLICKED)),
               reinterpret_cast<LPARAM>(button));
}

bool CreateControls(HWND dialog, const DialogTemplate& dialogTemplate, DialogData& data,
                    HINSTANCE instance) {
  for (std::size_t i = 0; i < dialogTemplate.itemCount; ++i) {
    const DialogItemTemplate& item = dialogTemplate.items[i];
    const RECT bounds = Pixels(item.x, item.y, item.width, item.height, data);
    HWND control =
        CreateWindowExA(item.exStyle, item.className, item.text, item.style | WS_CHILD, bounds.left,
                        bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, dialog,
                        MakeHandle<HMENU>(static_cast<std::uintptr_t>(static_cast<WORD>(item.id))),
                        instance, nullptr);
    if (control == nullptr) return false;
    if (ControlData* controlData = FindControl(control);
        controlData != nullptr && item.iconId != 0) {
      controlData->iconId = item.iconId;
    }
    data.controls.push_back(control);
  }
  return true;
}

// Runs the dialog until EndDialog, or until the loop has to give up or hand on a quit request.
void RunModalLoop(HWND dialog) {
  DialogData* data = FindDialog(dialog);
  MSG message{};
  while (data != nullptr && !data->ended) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) == FALSE) {
      Backend* backend = CurrentBackend();
      const auto idle = backend != nullptr ? backend->DialogIdle() : Backend::IdleResult::GiveUp;
      if (idle == Backend::IdleResult::GiveUp) return;
      if (idle == Backend::IdleResult::Again) continue;
      const BOOL got = GetMessageA(&message, nullptr, 0, 0);
      if (got < 0) return;
      if (got == 0) message.message = WM_QUIT;
    }
    if (message.message == WM_QUIT) {
      // The loop that asked to quit is further out: hand the request on.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    data = FindDialog(dialog);
  }
}

}  // namespace

LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogData* data = FindDialog(window);
  if (message == kUserActionMessage) {
    PendingAction action{};
    if (data != nullptr && TakePendingAction(lParam, &action)) HandleDialogAction(window, action);
    return 0;
  }
  if (message == WM_NCDESTROY) {
    ForgetControlOrDialog(window);
    return 0;
  }
  if (data == nullptr || data->procedure == nullptr) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  const INT_PTR handled = data->procedure(window, message, wParam, lParam);
  if (handled != FALSE) return handled;
  switch (message) {
    case WM_CLOSE:
      // A dialog closes through its Cancel button, never by being destroyed outright.
      PressButton(window, IDCANCEL);
      return 0;
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return 0;
  }
}

void HandleDialogAction(HWND dialog, const PendingAction& action) {
  if (action.action == UserAction::Close) {
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    return;
  }
  if (action.action != UserAction::Key) return;
  const DialogData* data = FindDialog(dialog);
  if (data == nullptr) return;
  switch (action.value) {
    case VK_RETURN: {
      // Enter presses the default button; a template that marks none has IDOK as its default.
      HWND button = DefaultButton(*data);
      PressButton(dialog, button != nullptr ? GetDlgCtrlID(button) : IDOK);
      break;
    }
    case VK_ESCAPE:
      PressButton(dialog, IDCANCEL);
      break;
    case VK_F1: {
      HELPINFO help{};
      help.cbSize = sizeof help;
      help.iContextType = HELPINFO_WINDOW;
      HWND focus = GetFocus();
      const bool inDialog = focus != nullptr && GetParent(focus) == dialog;
      help.iCtrlId = inDialog ? GetDlgCtrlID(focus) : 0;
      help.hItemHandle = inDialog ? focus : dialog;
      GetCursorPos(&help.MousePos);
      SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
      break;
    }
    default:
      break;
  }
}

}  // namespace platform::user

using namespace platform;        // NOLINT(google-build-using-namespace)
using namespace platform::user;  // NOLINT(google-build-using-namespace)

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                               DLGPROC dialogProc, LPARAM initParam) {
  const DialogTemplate* dialogTemplate = FindTemplate(templateName);
  Backend* backend = CurrentBackend();
  if (dialogTemplate == nullptr || dialogProc == nullptr || backend == nullptr) return -1;
  EnsureDialogClasses();

  int baseX = 0;
  int baseY = 0;
  const bool ownFont = (dialogTemplate->style & DS_SETFONT) != 0 && dialogTemplate->fontName;
  FontUnits(ownFont ? dialogTemplate->fontName : kDefaultDialogFont,
            ownFont ? dialogTemplate->pointSize : kDefaultPointSize, &baseX, &baseY);
  DialogData sizing;
  sizing.baseX = baseX;
  sizing.baseY = baseY;
  RECT bounds = Pixels(dialogTemplate->x, dialogTemplate->y, dialogTemplate->width,
                       dialogTemplate->height, sizing);
  const LONG width = bounds.right - bounds.left;
  const LONG height = bounds.bottom - bounds.top;
  if ((dialogTemplate->style & DS_CENTER) != 0) {
    int screenWidth = 0;
    int screenHeight = 0;
    backend->DialogScreenSize(&screenWidth, &screenHeight);
    bounds.left = std::max(0, (screenWidth - width) / 2);
    bounds.top = std::max(0, (screenHeight - height) / 2);
  }

  // Owned, not a child: the owner is only disabled, never the dialog's native parent.
  const DWORD style = (dialogTemplate->style & ~static_cast<DWORD>(WS_VISIBLE | WS_CHILD));
  HWND dialog =
      CreateWindowExA(dialogTemplate->exStyle, kDialogClassName,
                      dialogTemplate->caption != nullptr ? dialogTemplate->caption : "", style,
                      bounds.left, bounds.top, width, height, nullptr, nullptr, instance, nullptr);
  if (dialog == nullptr) return -1;
  DialogData& data = AddDialog(dialog);
  data.owner = owner;
  data.baseX = baseX;
  data.baseY = baseY;
  if (!CreateControls(dialog, *dialogTemplate, data, instance)) {
    DestroyWindow(dialog);
    return -1;
  }
  NotifyChanged(dialog);
  for (HWND control : data.controls) NotifyChanged(control);

  // Set last: a procedure sees no message before WM_INITDIALOG.
  data.procedure = dialogProc;
  HWND firstStop = nullptr;
  for (HWND control : data.controls) {
    const auto record = LookUp(control);
    if (record && (record->style & WS_TABSTOP) != 0 && (record->style & WS_DISABLED) == 0) {
      firstStop = control;
      break;
    }
  }
  const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner) != FALSE;
  if (dialogProc(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstStop), initParam) != FALSE &&
      firstStop != nullptr) {
    SetFocus(firstStop);
  }
  if (const DialogData* current = FindDialog(dialog); current == nullptr || !current->ended) {
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    // A modal dialog is shown whether or not its template says WS_VISIBLE, as in Win32.
    ShowWindow(dialog, SW_SHOW);
    RunModalLoop(dialog);
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
  }
  // A loop that gave up (or handed on a quit request) leaves a dialog that never ended.
  const DialogData* ending = FindDialog(dialog);
  const bool ended = ending != nullptr && ending->ended;
  const INT_PTR result = ended ? ending->result : -1;
  DestroyWindow(dialog);
  backend = CurrentBackend();
  if (ended && backend != nullptr) backend->DialogEnded(dialog, result);
  return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  DialogData* data = FindDialog(dialog);
  if (data == nullptr) return FALSE;
  data->ended = true;
  data->result = result;
  ShowWindow(dialog, SW_HIDE);
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  const DialogData* data = FindDialog(dialog);
  if (data == nullptr) return nullptr;
  for (HWND control : data->controls) {
    if (GetDlgCtrlID(control) == id) return control;
  }
  return nullptr;
}

int WINAPI GetDlgCtrlID(HWND window) {
  const std::scoped_lock lock(UserMutex());
  const auto record = LookUpLocked(window);
  if (!record || (record->style & WS_CHILD) == 0) return 0;
  // Ids travel as 16-bit words in the template; -1 (no id) comes back as -1.
  return static_cast<int>(static_cast<short>(record->id));
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control != nullptr ? SendMessageA(control, message, wParam, lParam) : 0;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND control = GetDlgItem(dialog, id);
  return control != nullptr ? SetWindowTextA(control, text) : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int size) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) {
    if (text != nullptr && size > 0) text[0] = '\0';
    return 0;
  }
  return static_cast<UINT>(GetWindowTextA(control, text, size));
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return FALSE;
  SendMessageA(control, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
  return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

LONG WINAPI GetDialogBaseUnits() {
  int baseX = 0;
  int baseY = 0;
  if (HWND dialog = TopDialog(); dialog != nullptr) {
    const DialogData* data = FindDialog(dialog);
    baseX = data->baseX;
    baseY = data->baseY;
  } else {
    FontUnits(kDefaultDialogFont, kDefaultPointSize, &baseX, &baseY);
  }
  return MAKELONG(baseX, baseY);
}

BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect) {
  const DialogData* data = FindDialog(dialog);
  if (data == nullptr || rect == nullptr) return FALSE;
  *rect = DialogUnitsToPixels(*rect, data->baseX, data->baseY);
  return TRUE;
}

void WINAPI InitCommonControls() {
  // The common controls are registered with the dialog classes, before any template needs them.
  EnsureDialogClasses();
}
