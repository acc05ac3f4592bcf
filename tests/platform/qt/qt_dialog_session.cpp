#include "tests/platform/qt/qt_dialog_session.h"

#include <array>
#include <cstddef>
#include <ostream>
#include <utility>

#include "platform/dialog_template.h"
#include "platform/headless/headless.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/qt_dialog_backend.h"
#include "platform/resources.h"
#include "platform/user/dialog_controls.h"

namespace qt_dialog_test {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr const char* kTemplateName = "QTVIEWTEST";

const std::array<platform::DialogItemTemplate, 10> kItems{{
    {kCheck, "BUTTON", "Random", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 10, 10, 60, 10, 0},
    {kCombo, "COMBOBOX", "", kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_SORT, 0, 10,
     24, 76, 60, 0},
    {kEdit, "EDIT", "", kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 54, 84, 20, 12, 0},
    {kList, "LISTBOX", "",
     kChild | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_USETABSTOPS, 0, 10, 40, 100,
     40, 0},
    {kArrows, "msctls_updown32", "Spin", kChild | UDS_WRAP | UDS_AUTOBUDDY | UDS_ARROWKEYS, 0, 114,
     40, 11, 22, 0},
    {kArea, "STATIC", "", kChild | WS_BORDER, 0, 130, 40, 40, 40, 0},
    {kLabel, "STATIC", "Grain Size:", kChild | SS_LEFT, 0, 10, 84, 40, 10, 0},
    {IDOK, "BUTTON", "OK", kChild | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 0, 180, 8, 40, 14, 0},
    {kHelp, "BUTTON", "Help", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, 180, 26, 40, 14, 0},
    {kGroup, "BUTTON", " Settings ", kChild | BS_GROUPBOX, 0, 4, 2, 172, 96, 0},
}};

const platform::DialogTemplate kTemplate{
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT,
    0,
    0,
    0,
    228,
    100,
    "Qt view test",
    "MS Sans Serif",
    8,
    kItems.data(),
    kItems.size()};

// The run in progress: a dialog procedure has no other way to reach it.
struct Run {
  Step setup;
  std::vector<Notification> notifications;
};
Run* currentRun = nullptr;

std::string ItemText(HWND dialog, int id) {
  std::array<char, 256> text{};
  GetDlgItemTextA(dialog, id, text.data(), static_cast<int>(text.size()));
  return text.data();
}

Notification CommandNotification(HWND dialog, WPARAM wParam) {
  Notification notification{WM_COMMAND, LOWORD(wParam), HIWORD(wParam), 0, {}};
  switch (notification.id) {
    case kCheck:
      notification.value = static_cast<int>(IsDlgButtonChecked(dialog, kCheck));
      break;
    case kCombo:
      notification.value =
          static_cast<int>(SendDlgItemMessageA(dialog, kCombo, CB_GETCURSEL, 0, 0));
      break;
    case kList:
      notification.value = static_cast<int>(SendDlgItemMessageA(dialog, kList, LB_GETCURSEL, 0, 0));
      break;
    case kEdit:
      notification.text = ItemText(dialog, kEdit);
      break;
    default:
      break;
  }
  return notification;
}

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      if (currentRun->setup) currentRun->setup(dialog);
      return TRUE;
    case WM_COMMAND:
      currentRun->notifications.push_back(CommandNotification(dialog, wParam));
      return TRUE;
    case WM_NOTIFY: {
      const auto* change =
          reinterpret_cast<const NMUPDOWN*>(lParam);  // NOLINT(performance-no-int-to-ptr)
      currentRun->notifications.push_back(Notification{WM_NOTIFY,
                                                       static_cast<int>(change->hdr.idFrom),
                                                       static_cast<int>(change->hdr.code),
                                                       change->iDelta,
                                                       {}});
      return TRUE;
    }
    case WM_HELP:
      currentRun->notifications.push_back(Notification{WM_HELP, 0, 0, 0, {}});
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool operator==(const Notification& a, const Notification& b) {
  return a.message == b.message && a.id == b.id && a.code == b.code && a.value == b.value &&
         a.text == b.text;
}

void PrintTo(const Notification& notification, std::ostream* out) {
  *out << "{message " << notification.message << ", id " << notification.id << ", code "
       << notification.code << ", value " << notification.value << ", text \"" << notification.text
       << "\"}";
}

std::vector<Notification> RunDialog(const Step& setup, const std::vector<Step>& steps) {
  headless::Install(1280, 1024);
  platform::RegisterResource(platform::Resource{platform::ResourceType::Dialog, kTemplateName, 0,
                                                reinterpret_cast<const unsigned char*>(&kTemplate),
                                                sizeof kTemplate});
  Run run{setup, {}};
  currentRun = &run;
  std::size_t next = 0;
  // The driver belongs to the headless backend, which is reached before the Qt view wraps it.
  headless::SetDialogDriver([&steps, &next] {
    HWND dialog = platform::TopDialog();
    if (dialog == nullptr || next == steps.size()) return false;
    steps[next++](dialog);
    return true;
  });
  platform::qt::InstallDialogToolkit();
  DialogBoxParamA(nullptr, kTemplateName, nullptr, RecordingProc, 0);
  currentRun = nullptr;
  return run.notifications;
}

QWidget* Widget(HWND dialog, int id) {
  return platform::qt::WidgetOf(id == 0 ? dialog : GetDlgItem(dialog, id));
}

}  // namespace qt_dialog_test
