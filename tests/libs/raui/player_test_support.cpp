#include "tests/libs/raui/player_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <utility>

#include "platform/dialog_template.h"
#include "platform/headless/headless.h"
#include "platform/qt/qt_dialog_backend.h"
#include "platform/resources.h"
#include "platform/user/dialog_controls.h"

namespace raui_test {
namespace {

constexpr const char* kTemplateName = "RAUIPLAYERTEST";
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

const std::array<platform::DialogItemTemplate, 2> kItems{{
    {kPlayerArea, "Static", "", kChild | SS_SUNKEN | WS_BORDER, 0, 6, 6, 208, 90, 0},
    {IDOK, "BUTTON", "OK", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 174, 100, 40, 14, 0},
}};

const platform::DialogTemplate kTemplate{
    WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT,
    0,
    0,
    0,
    220,
    120,
    "Clip player test",
    "MS Sans Serif",
    8,
    kItems.data(),
    kItems.size()};

DWORD scanned = 0;

LONG RecordOpened(LPCSTR info) {
  OpenedCall call{info != nullptr ? info : "null", std::this_thread::get_id(), -1};
  if (scanned != 0) call.scanResult = RaguiStatusScan(scanned, "ClipOpened Callback");
  OpenedCalls().push_back(std::move(call));
  return 0;
}

LONG Ignore(LPCSTR /*info*/) {
  return 0;
}

INT_PTR CALLBACK QuietProc(HWND /*dialog*/, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace

std::string ClipPath(const std::string& name) {
  // Built up in place: GCC 12 sees a false out-of-bounds copy in string + "/" + name at -O2.
  std::string path = TAVRIN_CLIPS_DIR;
  path += '/';
  path += name;
  return path;
}

std::vector<OpenedCall>& OpenedCalls() {
  static std::vector<OpenedCall> calls;
  return calls;
}

ClipClientSetup DialogSetup(ClipWindowRecord* window) {
  ClipClientSetup setup{};
  setup.size = sizeof setup;
  setup.goToUrl = Ignore;
  setup.buffering = Ignore;
  setup.clipOpened = RecordOpened;
  setup.window = window;
  setup.clientId = "Tavrin Saver/3.0 (EN; DistCode)";
  setup.productName = "Tavrin Saver";
  setup.productKind = "Sample Application";
  setup.productVersion = "3.0";
  setup.libraryVersion = "Ragui Version 1.0.0.1";
  setup.notice = "(c) the makers";
  setup.webAddress = "http://www.example.com/";
  setup.prefsChanged = Ignore;
  return setup;
}

void ScanFromCallbacks(DWORD ui) {
  scanned = ui;
}

PlayerObjects MakePlayer(ClipWindowRecord* record) {
  PlayerObjects made;
  const ClipClientSetup setup = DialogSetup(record);
  EXPECT_EQ(RaguiSetupClient(&setup, &made.client), RAGUI_OK);
  EXPECT_EQ(RaguiNew(made.client, &made.ui), RAGUI_OK);
  EXPECT_EQ(RaguiSetConsoleName(made.ui, "_unique", 1), RAGUI_OK);
  EXPECT_EQ(RaguiSetControlsFlags(made.ui, 0x700), RAGUI_OK);
  EXPECT_EQ(RaguiSetNoLabels(made.ui, 0), RAGUI_OK);
  if (record != nullptr) {
    EXPECT_EQ(RaguiSetWindow(made.ui, record), RAGUI_OK);
  }
  EXPECT_EQ(RaguiSetAutoStart(made.ui, 0), RAGUI_OK);
  return made;
}

void EndPlayer(const PlayerObjects& objects) {
  EXPECT_EQ(RaguiDestroy(objects.ui), RAGUI_OK);
  EXPECT_EQ(RaguiShutdownClient(objects.client), RAGUI_OK);
}

void RunPlayerDialog(const std::vector<Step>& steps) {
  headless::Install(1280, 1024);
  platform::RegisterResource(platform::Resource{platform::ResourceType::Dialog, kTemplateName, 0,
                                                reinterpret_cast<const unsigned char*>(&kTemplate),
                                                sizeof kTemplate});
  std::size_t next = 0;
  std::optional<std::chrono::steady_clock::time_point> deadline;
  headless::SetDialogDriver([&steps, &next, &deadline] {
    HWND dialog = platform::TopDialog();
    if (dialog == nullptr || next == steps.size()) return false;
    const auto now = std::chrono::steady_clock::now();
    if (!deadline) deadline = now + std::chrono::seconds(20);
    if (steps[next](dialog)) {
      ++next;
      deadline.reset();
    } else if (now > *deadline) {
      ADD_FAILURE() << "step " << next << " never came true";
      return false;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  });
  platform::qt::InstallDialogToolkit();
  DialogBoxParamA(nullptr, kTemplateName, nullptr, QuietProc, 0);
  EXPECT_EQ(next, steps.size()) << "the dialog ended before its steps";
  headless::SetDialogDriver(nullptr);
}

}  // namespace raui_test
