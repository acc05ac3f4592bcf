// COMBOBOX (drop-down list) and LISTBOX: lists of texts with one selected entry.
#include <strings.h>
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/user/controls.h"
#include "platform/user/user_state.h"

namespace platform::user {
namespace {

LPCSTR TextParam(LPARAM lParam) {
  return reinterpret_cast<LPCSTR>(lParam);  // NOLINT(performance-no-int-to-ptr)
}

// Sorted lists order their entries ignoring case, as Win32 does; an equal entry goes after
// those already there.
int SortedPlace(const std::vector<std::string>& items, const std::string& text) {
  const auto place = std::upper_bound(items.begin(), items.end(), text,
                                      [](const std::string& a, const std::string& b) {
                                        return strcasecmp(a.c_str(), b.c_str()) < 0;
                                      });
  return static_cast<int>(place - items.begin());
}

LRESULT Insert(HWND window, ControlData& data, int index, LPARAM lParam) {
  const char* text = TextParam(lParam);
  if (text == nullptr) text = "";
  if (index < 0 || index > static_cast<int>(data.items.size())) return LB_ERR;
  data.items.insert(data.items.begin() + index, text);
  if (data.selection >= index) ++data.selection;
  NotifyChanged(window);
  return index;
}

LRESULT Delete(HWND window, ControlData& data, WPARAM wParam) {
  const auto index = static_cast<int>(wParam);
  if (index < 0 || index >= static_cast<int>(data.items.size())) return LB_ERR;
  data.items.erase(data.items.begin() + index);
  if (data.selection == index) data.selection = -1;
  if (data.selection > index) --data.selection;
  NotifyChanged(window);
  return static_cast<LRESULT>(data.items.size());
}

void Clear(HWND window, ControlData& data) {
  data.items.clear();
  data.selection = -1;
  NotifyChanged(window);
}

LRESULT Select(HWND window, ControlData& data, WPARAM wParam) {
  const auto index = static_cast<int>(static_cast<INT_PTR>(wParam));
  const bool valid = index >= 0 && index < static_cast<int>(data.items.size());
  data.selection = valid ? index : -1;
  NotifyChanged(window);
  return valid ? index : LB_ERR;
}

LRESULT CopyText(const ControlData& data, WPARAM wParam, LPARAM lParam) {
  const auto index = static_cast<int>(wParam);
  if (index < 0 || index >= static_cast<int>(data.items.size())) return LB_ERR;
  auto* buffer = reinterpret_cast<LPSTR>(lParam);  // NOLINT(performance-no-int-to-ptr)
  const std::string& item = data.items[static_cast<std::size_t>(index)];
  if (buffer != nullptr) std::memcpy(buffer, item.c_str(), item.size() + 1);
  return static_cast<LRESULT>(item.size());
}

LRESULT TextLength(const ControlData& data, WPARAM wParam) {
  const auto index = static_cast<int>(wParam);
  if (index < 0 || index >= static_cast<int>(data.items.size())) return LB_ERR;
  return static_cast<LRESULT>(data.items[static_cast<std::size_t>(index)].size());
}

DWORD StyleOf(HWND window) {
  const auto record = LookUp(window);
  return record ? record->style : 0;
}

// CB_ADDSTRING, LB_ADDSTRING: at the end, or in its sorted place when the list sorts.
LRESULT AddString(HWND window, ControlData& data, LPARAM lParam, DWORD sortStyle) {
  const char* text = TextParam(lParam);
  const bool sorted = (StyleOf(window) & sortStyle) != 0;
  const int place = sorted ? SortedPlace(data.items, text != nullptr ? text : "")
                           : static_cast<int>(data.items.size());
  return Insert(window, data, place, lParam);
}

// A user's choice of an entry; false when the list cannot take it now.
bool TakePick(HWND window, ControlData& data, LPARAM key) {
  PendingAction action{};
  if (!TakeUserAction(window, key, UserAction::Pick, &action)) return false;
  if (action.value < 0 || action.value >= static_cast<int>(data.items.size())) return false;
  data.selection = action.value;
  NotifyChanged(window);
  return true;
}

}  // namespace

LRESULT CALLBACK ComboBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlData* data = FindControl(window);
  if (message == WM_NCCREATE) {
    AddControl(window, ControlKind::ComboBox);
    return TRUE;
  }
  if (data == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case CB_ADDSTRING:
      return AddString(window, *data, lParam, CBS_SORT);
    case CB_GETCOUNT:
      return static_cast<LRESULT>(data->items.size());
    case CB_GETCURSEL:
      return data->selection;
    case CB_SETCURSEL:
      return Select(window, *data, wParam);
    case CB_GETLBTEXT:
      return CopyText(*data, wParam, lParam);
    case CB_GETLBTEXTLEN:
      return TextLength(*data, wParam);
    case CB_RESETCONTENT:
      Clear(window, *data);
      return 0;  // CB_OKAY
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      // A drop-down list's text is its selected entry.
      const std::string text =
          data->selection >= 0 ? data->items[static_cast<std::size_t>(data->selection)] : "";
      if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(text.size());
      auto* buffer = reinterpret_cast<LPSTR>(lParam);  // NOLINT(performance-no-int-to-ptr)
      if (buffer == nullptr || wParam == 0) return 0;
      const std::size_t copied = std::min<std::size_t>(text.size(), wParam - 1);
      std::memcpy(buffer, text.data(), copied);
      buffer[copied] = '\0';
      return static_cast<LRESULT>(copied);
    }
    case kUserActionMessage:
      if (TakePick(window, *data, lParam)) NotifyParent(window, CBN_SELCHANGE);
      return 0;
    default:
      return DefControlProc(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK ListBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlData* data = FindControl(window);
  if (message == WM_NCCREATE) {
    AddControl(window, ControlKind::ListBox);
    return TRUE;
  }
  if (data == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case LB_ADDSTRING:
      return AddString(window, *data, lParam, LBS_SORT);
    case LB_INSERTSTRING: {
      const auto index = static_cast<int>(static_cast<INT_PTR>(wParam));
      return Insert(window, *data, index == -1 ? static_cast<int>(data->items.size()) : index,
                    lParam);
    }
    case LB_DELETESTRING:
      return Delete(window, *data, wParam);
    case LB_RESETCONTENT:
      Clear(window, *data);
      return 0;
    case LB_SETCURSEL:
      return Select(window, *data, wParam);
    case LB_GETCURSEL:
      return data->selection;
    case LB_GETTEXT:
      return CopyText(*data, wParam, lParam);
    case LB_GETTEXTLEN:
      return TextLength(*data, wParam);
    case LB_GETCOUNT:
      return static_cast<LRESULT>(data->items.size());
    case LB_SETTABSTOPS: {
      if ((StyleOf(window) & LBS_USETABSTOPS) == 0) return FALSE;
      const auto* stops = reinterpret_cast<const int*>(lParam);  // NOLINT
      data->tabStops.clear();
      if (wParam == 1 && stops != nullptr) {
        // One stop means a stop every that many units; kept as the first stop.
        data->tabStops.push_back(stops[0]);
      } else if (stops != nullptr) {
        data->tabStops.assign(stops, stops + wParam);
      }
      NotifyChanged(window);
      return TRUE;
    }
    case kUserActionMessage:
      if (TakePick(window, *data, lParam) && (StyleOf(window) & LBS_NOTIFY) != 0) {
        NotifyParent(window, LBN_SELCHANGE);
      }
      return 0;
    default:
      return DefControlProc(window, message, wParam, lParam);
  }
}

}  // namespace platform::user
