// Where the dialog manager keeps its controls' and dialogs' state, and how views read it and
// report what the user does.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/handles.h"
#include "platform/user/controls.h"
#include "platform/user/user_state.h"

namespace platform::user {
namespace {

// Dialogs run on one thread, but views and tests may look from elsewhere: one lock guards it all.
struct Registry {
  std::mutex mutex;
  std::map<std::uintptr_t, std::unique_ptr<ControlData>> controls;
  std::map<std::uintptr_t, std::unique_ptr<DialogData>> dialogs;
  std::vector<HWND> openDialogs;
  std::map<LPARAM, PendingAction> pending;
  LPARAM nextAction = 1;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

struct ClassEntry {
  const char* name;
  WNDPROC procedure;
};

}  // namespace

ControlData* FindControl(HWND window) {
  Registry& registry = TheRegistry();
  const std::scoped_lock lock(registry.mutex);
  const auto found = registry.controls.find(HandleValue(window));
  return found != registry.controls.end() ? found->second.get() : nullptr;
}

DialogData* FindDialog(HWND window) {
  Registry& registry = TheRegistry();
  const std::scoped_lock lock(registry.mutex);
  const auto found = registry.dialogs.find(HandleValue(window));
  return found != registry.dialogs.end() ? found->second.get() : nullptr;
}

ControlData& AddControl(HWND window, ControlKind kind) {
  Registry& registry = TheRegistry();
  const std::scoped_lock lock(registry.mutex);
  auto& slot = registry.controls[HandleValue(window)];
  slot = std::make_unique<ControlData>();
  slot->kind = kind;
  return *slot;
}

DialogData& AddDialog(HWND window) {
  Registry& registry = TheRegistry();
  const std::scoped_lock lock(registry.mutex);
  auto& slot = registry.dialogs[HandleValue(window)];
  slot = std::make_unique<DialogData>();
  registry.openDialogs.push_back(window);
  return *slot;
}

void ForgetControlOrDialog(HWND window) {
  Registry& registry = TheRegistry();
  const std::scoped_lock lock(registry.mutex);
  registry.controls.erase(HandleValue(window));
  registry.dialogs.erase(HandleValue(window));
  std::erase(registry.openDialogs, window);
}

const std::vector<HWND>& OpenDialogs() {
  return TheRegistry().openDialogs;
}

void NotifyChanged(HWND window) {
  if (Backend* backend = CurrentBackend()) backend->ControlChanged(window);
}

void NotifyParent(HWND control, UINT code) {
  HWND parent = GetParent(control);
  if (parent == nullptr) return;
  const int id = GetDlgCtrlID(control);
  SendMessageA(parent, WM_COMMAND,
               static_cast<WPARAM>(MAKELONG(static_cast<WORD>(id), static_cast<WORD>(code))),
               reinterpret_cast<LPARAM>(control));
}

void EnsureDialogClasses() {
  static const ClassEntry kClasses[] = {
      {"BUTTON", ButtonProcedure},
      {"STATIC", StaticProcedure},
      {"EDIT", EditProcedure},
      {"COMBOBOX", ComboBoxProcedure},
      {"LISTBOX", ListBoxProcedure},
      {UPDOWN_CLASSA, UpDownProcedure},
      {kDialogClassName, DialogProcedure},
  };
  for (const ClassEntry& entry : kClasses) {
    {
      const std::scoped_lock lock(UserMutex());
      if (FindClassLocked(entry.name)) continue;
    }
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = entry.procedure;
    windowClass.lpszClassName = entry.name;
    RegisterClassA(&windowClass);
  }
}

bool TakePendingAction(LPARAM key, PendingAction* action) {
  Registry& registry = TheRegistry();
  const std::scoped_lock lock(registry.mutex);
  const auto found = registry.pending.find(key);
  if (found == registry.pending.end()) return false;
  *action = std::move(found->second);
  registry.pending.erase(found);
  return true;
}

bool TakeUserAction(HWND control, LPARAM key, UserAction expected, PendingAction* action) {
  if (!TakePendingAction(key, action) || action->action != expected) return false;
  return IsWindowEnabled(control) != FALSE && IsWindowVisible(control) != FALSE;
}

LRESULT DefControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    ForgetControlOrDialog(window);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace platform::user

namespace platform {

using namespace platform::user;  // NOLINT(google-build-using-namespace)

bool SnapshotControl(HWND window, ControlSnapshot* snapshot) {
  const auto record = LookUp(window);
  if (!record || snapshot == nullptr) return false;
  Registry& registry = TheRegistry();
  const std::scoped_lock lock(registry.mutex);
  const auto control = registry.controls.find(HandleValue(window));
  const auto dialog = registry.dialogs.find(HandleValue(window));
  if (control == registry.controls.end() && dialog == registry.dialogs.end()) return false;
  ControlSnapshot result;
  if (control != registry.controls.end()) {
    const ControlData& data = *control->second;
    result.kind = data.kind;
    result.isDefault = data.isDefault;
    result.checked = data.checked;
    result.items = data.items;
    result.selection = data.selection;
    result.tabStops = data.tabStops;
    result.iconId = data.iconId;
  } else {
    result.kind = ControlKind::Dialog;
  }
  const std::scoped_lock userLock(UserMutex());
  result.id = static_cast<short>(record->id);  // as GetDlgCtrlID: no id is -1
  result.style = record->style;
  result.text = record->title;
  result.enabled = (record->style & WS_DISABLED) == 0;
  result.visible = record->visible;
  result.tabStop = (record->style & WS_TABSTOP) != 0;
  result.bounds = RECT{record->x, record->y, record->x + record->width, record->y + record->height};
  result.inset = record->inset;
  *snapshot = std::move(result);
  return true;
}

std::vector<HWND> DialogControls(HWND dialog) {
  const DialogData* data = FindDialog(dialog);
  return data != nullptr ? data->controls : std::vector<HWND>{};
}

HWND TopDialog() {
  Registry& registry = TheRegistry();
  const std::scoped_lock lock(registry.mutex);
  for (auto it = registry.openDialogs.rbegin(); it != registry.openDialogs.rend(); ++it) {
    const auto found = registry.dialogs.find(HandleValue(*it));
    if (found != registry.dialogs.end() && !found->second->ended) return *it;
  }
  return nullptr;
}

void DeliverUserAction(HWND window, UserAction action, int value, std::string text) {
  LPARAM key = 0;
  {
    Registry& registry = TheRegistry();
    const std::scoped_lock lock(registry.mutex);
    key = registry.nextAction++;
    registry.pending.emplace(key, PendingAction{action, value, std::move(text)});
  }
  if (PostMessageA(window, kUserActionMessage, static_cast<WPARAM>(action), key) == FALSE) {
    PendingAction dropped{};
    TakePendingAction(key, &dropped);
  }
}

RECT DialogUnitsToPixels(const RECT& units, int baseX, int baseY) {
  // MulDiv's rounding, as MapDialogRect has it.
  auto scale = [](LONG value, int base, int divisor) {
    const long long product = static_cast<long long>(value) * base;
    const long long half = divisor / 2;
    return static_cast<LONG>(product >= 0 ? (product + half) / divisor
                                          : (product - half) / divisor);
  };
  return RECT{scale(units.left, baseX, 4), scale(units.top, baseY, 8), scale(units.right, baseX, 4),
              scale(units.bottom, baseY, 8)};
}

}  // namespace platform
