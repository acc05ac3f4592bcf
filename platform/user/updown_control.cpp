// msctls_updown32: a pair of arrows that proposes a change of position to its parent.
#include <algorithm>

#include "platform/user/controls.h"
#include "platform/user/user_state.h"

namespace platform::user {
namespace {

// The previous sibling in creation order: UDS_AUTOBUDDY's buddy.
HWND PreviousSibling(HWND window) {
  const DialogData* dialog = FindDialog(GetParent(window));
  if (dialog == nullptr || dialog->controls.empty()) return nullptr;
  return dialog->controls.back();
}

// `upper`: the upper arrow. It moves towards the range's upper limit, so with Win32's
// default range (100 down to 0) it proposes -1 and the lower arrow +1.
void Arrow(HWND window, ControlData& data, bool upper) {
  const int towardsUpper = data.rangeHigh >= data.rangeLow ? 1 : -1;
  NMUPDOWN change{};
  change.hdr.hwndFrom = window;
  change.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window));
  change.hdr.code = UDN_DELTAPOS;
  change.iPos = data.position;
  change.iDelta = upper ? towardsUpper : -towardsUpper;
  const LRESULT refused = SendMessageA(GetParent(window), WM_NOTIFY, change.hdr.idFrom,
                                       reinterpret_cast<LPARAM>(&change));
  if (refused != 0) return;
  const int low = std::min(data.rangeLow, data.rangeHigh);
  const int high = std::max(data.rangeLow, data.rangeHigh);
  const auto record = LookUp(window);
  const bool wrap = record && (record->style & UDS_WRAP) != 0;
  int position = data.position + change.iDelta;
  if (position < low) position = wrap ? high : low;
  if (position > high) position = wrap ? low : high;
  data.position = position;
}

}  // namespace

LRESULT CALLBACK UpDownProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlData* data = FindControl(window);
  switch (message) {
    case WM_NCCREATE: {
      ControlData& created = AddControl(window, ControlKind::UpDown);
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);  // NOLINT
      if ((create->style & UDS_AUTOBUDDY) != 0) created.buddy = PreviousSibling(window);
      return TRUE;
    }
    case UDM_GETRANGE:
      return data != nullptr ? MAKELONG(data->rangeHigh, data->rangeLow) : 0;
    case UDM_GETPOS:
      return data != nullptr ? data->position : 0;
    case UDM_GETBUDDY:
      return data != nullptr ? reinterpret_cast<LRESULT>(data->buddy) : 0;
    case kUserActionMessage: {
      PendingAction action{};
      if (!TakeUserAction(window, lParam, UserAction::Arrow, &action) || data == nullptr) return 0;
      Arrow(window, *data, action.value < 0);
      return 0;
    }
    default:
      return DefControlProc(window, message, wParam, lParam);
  }
}

}  // namespace platform::user
