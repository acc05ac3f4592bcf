// The dialog manager: templates to windows, control messages, a user's actions becoming
// notifications, the keyboard rules and the modal loop.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/headless/headless.h"
#include "platform/resources.h"
#include "platform/user/dialog_controls.h"
#include "platform/win32.h"

namespace {

enum Id : int {
  kCheck = 10,
  kPush = 11,
  kCombo = 20,
  kList = 30,
  kEdit = 40,
  kArrows = 50,
  kLabel = 60,
  kSurface = 61,
  kDefault = 77,
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const platform::DialogItemTemplate kItems[] = {
    {kCheck, "BUTTON", "Tick", kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 0, 4, 4, 40, 10, 0},
    {kPush, "BUTTON", "Push", kChild | BS_PUSHBUTTON | WS_TABSTOP, 0, 50, 4, 40, 14, 0},
    {kCombo, "COMBOBOX", "", kChild | CBS_DROPDOWNLIST | CBS_SORT | WS_TABSTOP, 0, 4, 20, 60, 80,
     0},
    {kList, "LISTBOX", "", kChild | LBS_NOTIFY | LBS_USETABSTOPS | WS_BORDER, 0, 4, 40, 80, 40, 0},
    {kEdit, "EDIT", "", kChild | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 90, 20, 20, 12, 0},
    {kArrows, UPDOWN_CLASSA, "Spin", kChild | UDS_WRAP | UDS_AUTOBUDDY | UDS_ARROWKEYS, 0, 112, 20,
     11, 22, 0},
    {kLabel, "STATIC", "Label:", kChild | SS_LEFT, 0, 90, 40, 30, 8, 0},
    {kSurface, "STATIC", "", kChild | SS_SUNKEN | WS_BORDER, 0, 90, 50, 30, 30, 0},
    {IDOK, "BUTTON", "OK", kChild | BS_PUSHBUTTON | WS_TABSTOP, 0, 130, 4, 40, 14, 0},
    {IDCANCEL, "BUTTON", "Cancel", kChild | BS_PUSHBUTTON | WS_TABSTOP, 0, 130, 22, 40, 14, 0},
};
const platform::DialogTemplate kDialog = {
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME | DS_SETFONT,
    0,
    0,
    0,
    180,
    100,
    "Test dialog",
    "MS Sans Serif",
    8,
    kItems,
    std::size(kItems)};

const platform::DialogItemTemplate kDefaultItems[] = {
    {kDefault, "BUTTON", "Go", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 4, 4, 40, 14, 0},
};
const platform::DialogTemplate kDefaultDialog = {WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_SETFONT,
                                                 0,
                                                 10,
                                                 20,
                                                 60,
                                                 30,
                                                 "Inner",
                                                 "MS Sans Serif",
                                                 8,
                                                 kDefaultItems,
                                                 std::size(kDefaultItems)};

void Register(const char* name, const platform::DialogTemplate& dialog) {
  platform::RegisterResource({platform::ResourceType::Dialog, name, 0,
                              reinterpret_cast<const unsigned char*>(&dialog), sizeof dialog});
}

// What the test procedure was told, as "COMMAND id code", "NOTIFY id code delta", "HELP id".
std::vector<std::string> events;
std::function<void(HWND)> onInit;

INT_PTR CALLBACK RecordingProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      if (onInit) onInit(dialog);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      events.push_back("COMMAND " + std::to_string(id) + " " + std::to_string(HIWORD(wParam)));
      if (id == IDOK || id == IDCANCEL || id == kDefault) EndDialog(dialog, id);
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);  // NOLINT
      events.push_back("NOTIFY " + std::to_string(change->hdr.idFrom) + " " +
                       std::to_string(static_cast<int>(change->hdr.code)) + " " +
                       std::to_string(change->iDelta));
      return TRUE;
    }
    case WM_HELP:
      events.push_back("HELP");
      return TRUE;
    case WM_TIMER:
      events.push_back("TIMER " + std::to_string(wParam));
      KillTimer(dialog, wParam);
      return TRUE;
    default:
      return FALSE;
  }
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::Install(800, 600);
    Register("TESTDLG", kDialog);
    Register("DEFDLG", kDefaultDialog);
    events.clear();
    onInit = nullptr;
  }
  void TearDown() override { onInit = nullptr; }

  // Runs "TESTDLG"; each step runs when the loop is idle, the dialog open. The last step's
  // effect must end the dialog, or the run gives up with -1.
  INT_PTR Run(std::deque<std::function<void()>> steps, const char* name = "TESTDLG",
              HWND owner = nullptr) {
    headless::SetDialogDriver([&steps] {
      if (steps.empty()) return false;
      auto step = std::move(steps.front());
      steps.pop_front();
      step();
      return true;
    });
    return DialogBoxParamA(nullptr, name, owner, RecordingProcedure, 0);
  }

  static HWND Item(int id) { return GetDlgItem(platform::TopDialog(), id); }
  static LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageA(platform::TopDialog(), id, message, wParam, lParam);
  }
  static LPARAM Text(const char* text) { return reinterpret_cast<LPARAM>(text); }
};

TEST_F(DialogTest, ControlMessagesAnswerAsWin32Does) {
  std::vector<std::string> combo;
  std::vector<std::string> list;
  LRESULT badSelect = 0;
  LRESULT deleted = 0;
  LRESULT tabStops = 0;
  char buffer[4] = {};
  UINT copied = 0;
  LONG range = 0;
  const INT_PTR result = Run({[&] {
    for (const char* name : {"wipe", "Blind", "clock", "Blind"})
      Send(kCombo, CB_ADDSTRING, 0, Text(name));
    Send(kCombo, CB_SETCURSEL, 2);
    badSelect = Send(kCombo, CB_SETCURSEL, 9);  // an invalid index clears the selection
    for (int i = 0; i < 4; ++i) {
      char entry[16] = {};
      Send(kCombo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
      combo.emplace_back(entry);
    }
    Send(kList, LB_ADDSTRING, 0, Text("a"));
    Send(kList, LB_ADDSTRING, 0, Text("b"));
    Send(kList, LB_SETCURSEL, 1);
    Send(kList, LB_INSERTSTRING, 0, Text("first"));  // the selection moves with its entry
    deleted = Send(kList, LB_DELETESTRING, 1);
    const int stops[2] = {105, 150};
    tabStops = Send(kList, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops));
    for (int i = 0; i < Send(kList, LB_GETCOUNT); ++i) {
      char entry[16] = {};
      Send(kList, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
      list.emplace_back(entry);
    }
    SetDlgItemTextA(platform::TopDialog(), kEdit, "12345");
    copied = GetDlgItemTextA(platform::TopDialog(), kEdit, buffer, sizeof buffer);
    range = static_cast<LONG>(Send(kArrows, UDM_GETRANGE));
    EndDialog(platform::TopDialog(), 7);
  }});
  EXPECT_EQ(result, 7);
  EXPECT_EQ(combo, (std::vector<std::string>{"Blind", "Blind", "clock", "wipe"}));
  EXPECT_EQ(badSelect, CB_ERR);
  EXPECT_EQ(list, (std::vector<std::string>{"first", "b"}));
  EXPECT_EQ(deleted, 2);
  EXPECT_EQ(tabStops, TRUE);
  EXPECT_EQ(copied, 3U);
  EXPECT_STREQ(buffer, "123");
  EXPECT_EQ(LOWORD(range), 0);    // upper limit
  EXPECT_EQ(HIWORD(range), 100);  // lower limit
}

struct ActionCase {
  const char* name;
  std::function<void()> prepare;  // runs in the dialog before the action
  std::function<void()> act;
  std::vector<std::string> expected;
};

TEST_F(DialogTest, UserActionsBecomeTheNotificationsOfWin32) {
  const auto send = [](int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return [=] { SendDlgItemMessageA(platform::TopDialog(), id, message, wParam, lParam); };
  };
  const std::vector<ActionCase> cases = {
      {"auto check box", nullptr, [] { headless::ClickControl(kCheck); }, {"COMMAND 10 0"}},
      {"push button", nullptr, [] { headless::ClickControl(kPush); }, {"COMMAND 11 0"}},
      {"disabled button",
       [] { EnableWindow(GetDlgItem(platform::TopDialog(), kPush), FALSE); },
       [] { headless::ClickControl(kPush); },
       {}},
      {"hidden button",
       [] { ShowWindow(GetDlgItem(platform::TopDialog(), kPush), SW_HIDE); },
       [] { headless::ClickControl(kPush); },
       {}},
      {"combo pick",
       send(kCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("x")),
       [] { headless::PickEntryText(kCombo, "x"); },
       {"COMMAND 20 1"}},
      {"list pick",
       send(kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("y")),
       [] { headless::PickEntry(kList, 0); },
       {"COMMAND 30 1"}},
      {"typing", nullptr, [] { headless::TypeText(kEdit, "42"); }, {"COMMAND 40 768"}},
      {"upper arrow",
       nullptr,
       [] { headless::PressArrow(kArrows, true); },
       {"NOTIFY 50 " + std::to_string(static_cast<int>(UDN_DELTAPOS)) + " -1"}},
      {"lower arrow",
       nullptr,
       [] { headless::PressArrow(kArrows, false); },
       {"NOTIFY 50 " + std::to_string(static_cast<int>(UDN_DELTAPOS)) + " 1"}},
      {"enter without a default button",
       nullptr,
       [] { headless::PressDialogKey(VK_RETURN); },
       {"COMMAND 1 0"}},
      {"escape", nullptr, [] { headless::PressDialogKey(VK_ESCAPE); }, {"COMMAND 2 0"}},
      {"close box", nullptr, [] { headless::PressCloseBox(); }, {"COMMAND 2 0"}},
      {"F1", nullptr, [] { headless::PressDialogKey(VK_F1); }, {"HELP"}},
  };
  for (const ActionCase& test : cases) {
    SCOPED_TRACE(test.name);
    events.clear();
    bool checked = false;
    std::deque<std::function<void()>> steps;
    if (test.prepare) steps.emplace_back(test.prepare);
    steps.emplace_back(test.act);
    steps.emplace_back([&] { checked = IsDlgButtonChecked(platform::TopDialog(), kCheck) != 0; });
    steps.emplace_back([] { EndDialog(platform::TopDialog(), 0); });  // leaves no event
    Run(steps);
    EXPECT_EQ(events, test.expected);
    EXPECT_EQ(checked, std::string(test.name) == "auto check box");
  }
}

TEST_F(DialogTest, EnterPressesTheDefaultButtonUnlessItIsDisabled) {
  EXPECT_EQ(Run({[] { headless::PressDialogKey(VK_RETURN); }}, "DEFDLG"), kDefault);
  events.clear();
  EXPECT_EQ(Run({[] { EnableWindow(Item(kDefault), FALSE); },
                 [] { headless::PressDialogKey(VK_RETURN); }},
                "DEFDLG"),
            -1);
  EXPECT_TRUE(events.empty());
}

TEST_F(DialogTest, LayoutFollowsTheFontsBaseUnits) {
  RECT mapped{4, 20, 64, 100};
  RECT bounds{};
  LONG units = 0;
  Run({[&] {
    MapDialogRect(platform::TopDialog(), &mapped);
    platform::ControlSnapshot combo;
    platform::SnapshotControl(Item(kCombo), &combo);
    bounds = combo.bounds;
    units = GetDialogBaseUnits();
    EndDialog(platform::TopDialog(), 0);
  }});
  EXPECT_EQ(LOWORD(units), 6);
  EXPECT_EQ(HIWORD(units), 13);
  EXPECT_EQ(mapped.left, 6);  // 4 * 6 / 4
  EXPECT_EQ(mapped.top, 33);  // 20 * 13 / 8 = 32.5, rounded
  EXPECT_EQ(bounds.left, mapped.left);
  EXPECT_EQ(bounds.top, mapped.top);
  EXPECT_EQ(bounds.right, mapped.right);
  EXPECT_EQ(bounds.bottom, mapped.bottom);
}

TEST_F(DialogTest, SnapshotsDescribeEveryControlInTemplateOrder) {
  std::vector<platform::ControlKind> kinds;
  platform::ControlSnapshot dialog;
  Run({[&] {
    platform::SnapshotControl(platform::TopDialog(), &dialog);
    for (HWND control : platform::DialogControls(platform::TopDialog())) {
      platform::ControlSnapshot snapshot;
      platform::SnapshotControl(control, &snapshot);
      kinds.push_back(snapshot.kind);
    }
    EndDialog(platform::TopDialog(), 0);
  }});
  using K = platform::ControlKind;
  EXPECT_EQ(kinds, (std::vector<K>{K::CheckBox, K::PushButton, K::ComboBox, K::ListBox, K::Edit,
                                   K::UpDown, K::Label, K::Surface, K::PushButton, K::PushButton}));
  EXPECT_EQ(dialog.kind, K::Dialog);
  EXPECT_EQ(dialog.text, "Test dialog");
  // DS_CENTER: 180 x 100 units are 270 x 163 pixels, centred on 800 x 600.
  EXPECT_EQ(dialog.bounds.left, (800 - 270) / 2);
  EXPECT_EQ(dialog.bounds.top, (600 - 163) / 2);
}

TEST_F(DialogTest, TimersFireOnlyAsTheClockMovesAndNestedDialogsTakeTheActions) {
  onInit = [](HWND dialog) {
    if (GetDlgItem(dialog, kCheck) != nullptr) SetTimer(dialog, 200, 50, nullptr);
  };
  INT_PTR inner = 0;
  const INT_PTR result = Run({
      [] { events.push_back("idle"); },
      [] { headless::AdvanceClock(50); },
      [&] {
        inner = DialogBoxParamA(nullptr, "DEFDLG", platform::TopDialog(), RecordingProcedure, 0);
      },
      [] { headless::PressDialogKey(VK_RETURN); },  // reaches the inner dialog
      [] { headless::PressDialogKey(VK_ESCAPE); },
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(inner, kDefault);
  EXPECT_EQ(events, (std::vector<std::string>{"idle", "TIMER 200", "COMMAND 77 0", "COMMAND 2 0"}));
}

TEST_F(DialogTest, EndingInInitDialogSkipsTheLoopAndNothingIsLeftBehind) {
  const platform::gdi::LiveObjects before = platform::gdi::CountLiveObjects();
  onInit = [](HWND dialog) { EndDialog(dialog, 1); };
  bool driverRan = false;
  headless::SetDialogDriver([&] { return driverRan = true; });
  EXPECT_EQ(DialogBoxParamA(nullptr, "TESTDLG", nullptr, RecordingProcedure, 0), 1);
  EXPECT_FALSE(driverRan);
  EXPECT_EQ(platform::TopDialog(), nullptr);
  EXPECT_EQ(platform::gdi::CountLiveObjects(), before);
  EXPECT_EQ(DialogBoxParamA(nullptr, "NO SUCH DIALOG", nullptr, RecordingProcedure, 0), -1);
}

TEST_F(DialogTest, TheOwnerIsDisabledWhileTheDialogRuns) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "Owner";
  RegisterClassA(&windowClass);
  HWND owner = CreateWindowExA(0, "Owner", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                               nullptr, nullptr, nullptr);
  BOOL enabledMeanwhile = TRUE;
  Run({[&] {
        enabledMeanwhile = IsWindowEnabled(owner);
        headless::PressDialogKey(VK_ESCAPE);
      }},
      "TESTDLG", owner);
  EXPECT_EQ(enabledMeanwhile, FALSE);
  EXPECT_EQ(IsWindowEnabled(owner), TRUE);
}

TEST_F(DialogTest, HelpGoesToTheViewerAndQuitAsksNothing) {
  EXPECT_EQ(WinHelpA(nullptr, "/somewhere/Tavrin.html", HELP_CONTENTS, 0), TRUE);
  EXPECT_EQ(WinHelpA(nullptr, "/somewhere/Tavrin.html", HELP_QUIT, 0), TRUE);
  ASSERT_EQ(headless::HelpRequests().size(), 1U);
  EXPECT_EQ(headless::HelpRequests()[0].path, "/somewhere/Tavrin.html");
}

}  // namespace
