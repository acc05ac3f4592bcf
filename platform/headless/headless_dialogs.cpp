// A test's hands on the topmost dialog: each action is queued as a user's would be.
#include <string>

#include "platform/headless/headless.h"
#include "platform/user/dialog_controls.h"

namespace headless {
namespace {

HWND Control(int id) {
  HWND dialog = platform::TopDialog();
  return dialog != nullptr ? GetDlgItem(dialog, id) : nullptr;
}

bool Deliver(int id, platform::UserAction action, int value = 0, std::string text = {}) {
  HWND control = Control(id);
  if (control == nullptr) return false;
  platform::DeliverUserAction(control, action, value, std::move(text));
  return true;
}

bool DeliverToDialog(platform::UserAction action, int value) {
  HWND dialog = platform::TopDialog();
  if (dialog == nullptr) return false;
  platform::DeliverUserAction(dialog, action, value);
  return true;
}

}  // namespace

bool ClickControl(int id) {
  return Deliver(id, platform::UserAction::Click);
}

bool PickEntry(int id, int index) {
  platform::ControlSnapshot snapshot;
  HWND control = Control(id);
  if (control == nullptr || !platform::SnapshotControl(control, &snapshot)) return false;
  if (index < 0 || index >= static_cast<int>(snapshot.items.size())) return false;
  return Deliver(id, platform::UserAction::Pick, index);
}

bool PickEntryText(int id, const std::string& text) {
  platform::ControlSnapshot snapshot;
  HWND control = Control(id);
  if (control == nullptr || !platform::SnapshotControl(control, &snapshot)) return false;
  for (std::size_t i = 0; i < snapshot.items.size(); ++i) {
    if (snapshot.items[i] == text)
      return Deliver(id, platform::UserAction::Pick, static_cast<int>(i));
  }
  return false;
}

bool TypeText(int id, const std::string& text) {
  return Deliver(id, platform::UserAction::Edit, 0, text);
}

bool PressArrow(int id, bool up) {
  return Deliver(id, platform::UserAction::Arrow, up ? -1 : 1);
}

bool PressDialogKey(UINT virtualKey) {
  return DeliverToDialog(platform::UserAction::Key, static_cast<int>(virtualKey));
}

bool PressCloseBox() {
  return DeliverToDialog(platform::UserAction::Close, 0);
}

}  // namespace headless
