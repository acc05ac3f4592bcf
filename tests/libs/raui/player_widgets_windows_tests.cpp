// The player's Win32 view on the real Win32 (or Wine): its controls in a host made like the
// dialog's control 1027, what the user's clicks and keys do, and what it leaves behind.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "libs/raui/player_view.h"
#include "libs/raui/raui.h"
#include "platform/win32.h"

namespace {

using raui::PlayState;

constexpr DWORD kAll = RAGUI_CONTROL_PLAY | RAGUI_CONTROL_POSITION | RAGUI_CONTROL_STATUS;

std::wstring Text(HWND window) {
  wchar_t text[512]{};
  GetWindowTextW(window, text, 512);
  return text;
}

void Pump(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  for (MSG message; static_cast<LONG>(end - GetTickCount()) > 0; Sleep(5)) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) DispatchMessageA(&message);
  }
}

BOOL CALLBACK CountWindow(HWND /*window*/, LPARAM count) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 hands handles and ids over as integers
  ++*reinterpret_cast<long*>(count);
  return TRUE;
}

BOOL CALLBACK CountWindowAndChildren(HWND window, LPARAM count) {
  EnumChildWindows(window, CountWindow, count);
  return CountWindow(window, count);
}

// Windows, children and popups alike, and GDI objects where the system counts them (Wine does
// not: its GetGuiResources answers 0).
std::vector<long> Leftovers() {
  long windows = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindowAndChildren,
                    reinterpret_cast<LPARAM>(&windows));
  return {windows, static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)),
          static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS))};
}

class WindowViewTest : public ::testing::Test {
 protected:
  // One dialog for all: under Wine with no window manager, every shown top-level window takes
  // two seconds to go.
  static void SetUpTestSuite() { dialog_ = NewDialog(); }
  static void TearDownTestSuite() { DestroyWindow(dialog_); }
  static HWND NewDialog() {
    WNDCLASSA type{};
    type.lpfnWndProc = DefWindowProcA;
    type.lpszClassName = "PlayerViewTestDialog";
    RegisterClassA(&type);
    return CreateWindowExA(0, type.lpszClassName, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 480,
                           300, nullptr, nullptr, nullptr, nullptr);
  }

  void SetUp() override {
    ok_ = CreateWindowExA(0, WC_BUTTONA, "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 8, 8, 60, 24,
                          dialog_, reinterpret_cast<HMENU>(IDOK), nullptr, nullptr);
    host_ = CreateWindowExA(0, WC_STATICA, "", WS_CHILD | WS_VISIBLE | SS_SUNKEN | WS_BORDER, 100,
                            40, 312, 146, dialog_, reinterpret_cast<HMENU>(1027), nullptr, nullptr);
    SendMessageA(host_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  }
  void TearDown() override {
    view_.reset();
    DestroyWindow(ok_);
    DestroyWindow(host_);
  }
  // The host ends, alone or with its whole dialog, and a new one is made.
  void EndHost(bool wholeDialog) {
    if (wholeDialog) {
      DestroyWindow(dialog_);
      dialog_ = NewDialog();
    } else {
      DestroyWindow(ok_);
      DestroyWindow(host_);
    }
    SetUp();
  }

  void Make(DWORD controls = kAll) {
    view_ = raui::MakeWidgetView(
        host_, {controls, false},
        {[this] { ++plays_; }, [this] { ++stops_; }, [this](LONG at) { seeks_.push_back(at); },
         [this] { ++ticks_; }, [this] { ++hostGone_; }});
    ASSERT_NE(view_, nullptr) << "host " << host_ << " in " << dialog_ << ", error "
                              << GetLastError();
  }
  void Show(PlayState state, LONG played, LONG length, std::string name = "clip.ra") {
    view_->Show({std::move(name), "Fine", state, played, length});
  }

  HWND Player() const { return GetWindow(host_, GW_CHILD); }
  HWND Part(const wchar_t* type, const wchar_t* text = nullptr) const {
    return FindWindowExW(Player(), nullptr, type, text);
  }
  HWND Slider() const { return Part(TRACKBAR_CLASSW); }
  RECT Inside(HWND part) const {
    RECT area{};
    GetWindowRect(part, &area);
    MapWindowPoints(nullptr, Player(), reinterpret_cast<POINT*>(&area), 2);
    return area;
  }

  static inline HWND dialog_ = nullptr;
  HWND ok_ = nullptr;
  HWND host_ = nullptr;
  std::unique_ptr<raui::PlayerView> view_;
  int plays_ = 0, stops_ = 0, ticks_ = 0, hostGone_ = 0;
  std::vector<LONG> seeks_;
};

TEST_F(WindowViewTest, NoViewWithoutAWindow) {
  EXPECT_EQ(raui::MakeWidgetView(nullptr, {kAll, false}, {}), nullptr);
  DestroyWindow(host_);
  EXPECT_EQ(raui::MakeWidgetView(host_, {kAll, false}, {}), nullptr);
}

TEST_F(WindowViewTest, FillsTheHostFollowsItsSizeAndCutsALongNameInTheMiddle) {
  Make();
  const std::string longName(200, 'n');
  Show(PlayState::Stopped, 0, 1000, "start" + longName + "end.ra");
  for (const auto& [width, height] :
       {std::pair{312, 146}, std::pair{420, 220}, std::pair{200, 96}}) {
    SetWindowPos(host_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    RECT host{}, player{};
    GetClientRect(host_, &host);
    GetClientRect(Player(), &player);
    EXPECT_TRUE(EqualRect(&host, &player) != FALSE) << width << "x" << height;
    // Top to bottom: the name, the slider, the times, the buttons; all inside the player.
    const HWND rows[] = {Part(WC_STATICW, nullptr), Slider(), Part(WC_STATICW, L"0:00"),
                         Part(WC_BUTTONW, L"Play")};
    for (std::size_t row = 0; row < std::size(rows); ++row) {
      const RECT part = Inside(rows[row]);
      EXPECT_TRUE(part.left >= 0 && part.top >= 0 && part.right <= player.right &&
                  part.bottom <= player.bottom)
          << "row " << row << " at " << width;
      if (row > 0) {
        EXPECT_LE(Inside(rows[row - 1]).bottom, part.top) << "row " << row;
      }
    }
    const std::wstring shown = Text(rows[0]);
    EXPECT_EQ(shown.substr(0, 5), L"start");
    EXPECT_EQ(shown.substr(shown.size() - 6), L"end.ra");
    EXPECT_NE(shown.find(L'\u2026'), std::wstring::npos);
  }
}

TEST_F(WindowViewTest, ButtonsKeysAndDragsReachTheActionsAndTabReachesThePlayer) {
  Make();
  Show(PlayState::Stopped, 0, 125000);
  SendMessageA(Part(WC_BUTTONW, L"Play"), BM_CLICK, 0, 0);
  SendMessageA(Part(WC_BUTTONW, L"Stop"), BM_CLICK, 0, 0);
  EXPECT_EQ(std::pair(plays_, stops_), std::pair(1, 1));

  // A page is a tenth, an arrow a second; the range is past 16 bits.
  for (const WPARAM key : {VK_NEXT, VK_RIGHT, VK_END, VK_HOME}) {
    SendMessageA(Slider(), WM_KEYDOWN, key, 0);
    SendMessageA(Slider(), WM_KEYUP, key, 0);
  }
  EXPECT_EQ(seeks_, (std::vector<LONG>{12500, 13500, 125000, 0}));
  Show(PlayState::Playing, 5000, 125000);
  EXPECT_EQ(seeks_.size(), 4U) << "the clip's progress is no seek";

  RECT thumb{};
  SendMessageA(Slider(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const int x = (thumb.left + thumb.right) / 2, y = (thumb.top + thumb.bottom) / 2;
  SendMessageA(Slider(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(Slider(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 60, y));
  const LRESULT held = SendMessageA(Slider(), TBM_GETPOS, 0, 0);
  Show(PlayState::Playing, 90000, 125000);
  EXPECT_EQ(SendMessageA(Slider(), TBM_GETPOS, 0, 0), held) << "the drag wins over the clip";
  SendMessageA(Slider(), WM_LBUTTONUP, 0, MAKELPARAM(x + 60, y));
  EXPECT_EQ(seeks_.back(), held);

  SetFocus(ok_);
  for (const HWND next : {Slider(), Part(WC_BUTTONW, L"Pause"), Part(WC_BUTTONW, L"Stop"), ok_}) {
    MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    IsDialogMessageA(dialog_, &tab);
    EXPECT_EQ(GetFocus(), next);
  }
}

TEST_F(WindowViewTest, ShowSetsTextsStatesAndRunsTheTickOnlyWhilePlaying) {
  Make();
  struct Case {
    PlayState state;
    LONG played, length;
    const wchar_t *play, *elapsed, *total;
    bool open, ticks;
  };
  for (const Case& shown :
       {Case{PlayState::Empty, 0, 0, L"Play", L"0:00", L"0:00", false, false},
        Case{PlayState::Playing, 61000, 600000, L"Pause", L"1:01", L"10:00", true, true},
        Case{PlayState::Paused, 3723999, 3724000, L"Play", L"62:03", L"62:04", true, false},
        Case{PlayState::Stopped, 0, 59999, L"Play", L"0:00", L"0:59", true, false}}) {
    Show(shown.state, shown.played, shown.length, "a&b.ra");
    ticks_ = 0;
    Pump(400);
    EXPECT_EQ(ticks_ > 0, shown.ticks) << shown.elapsed;
    const HWND play = Part(WC_BUTTONW, shown.play);
    ASSERT_NE(play, nullptr) << shown.play;
    for (const HWND control : {play, Part(WC_BUTTONW, L"Stop"), Slider()}) {
      EXPECT_EQ(IsWindowEnabled(control) != FALSE, shown.open) << shown.elapsed;
    }
    EXPECT_NE(Part(WC_STATICW, shown.elapsed), nullptr) << shown.elapsed;
    EXPECT_NE(Part(WC_STATICW, shown.total), nullptr) << shown.total;
    EXPECT_NE(Part(WC_STATICW, L"a&b.ra"), nullptr);
    EXPECT_NE(Part(WC_STATICW, L"Fine"), nullptr);
  }
}

TEST_F(WindowViewTest, ArrangeShowsOnlyTheFlaggedParts) {
  Make();
  Show(PlayState::Stopped, 1000, 2000, "clip.ra");
  const std::pair<HWND, DWORD> parts[] = {{Part(WC_BUTTONW, L"Play"), RAGUI_CONTROL_PLAY},
                                          {Part(WC_BUTTONW, L"Stop"), RAGUI_CONTROL_PLAY},
                                          {Slider(), RAGUI_CONTROL_POSITION},
                                          {Part(WC_STATICW, L"0:01"), RAGUI_CONTROL_POSITION},
                                          {Part(WC_STATICW, L"0:02"), RAGUI_CONTROL_POSITION},
                                          {Part(WC_STATICW, L"clip.ra"), RAGUI_CONTROL_STATUS},
                                          {Part(WC_STATICW, L"Fine"), RAGUI_CONTROL_STATUS}};
  for (const DWORD flags : {DWORD{RAGUI_CONTROL_PLAY}, DWORD{RAGUI_CONTROL_POSITION},
                            DWORD{RAGUI_CONTROL_STATUS}, DWORD{0}, kAll}) {
    view_->Arrange({flags, false});
    for (const auto& [part, flag] : parts) {
      EXPECT_EQ(IsWindowVisible(part) != FALSE, (flags & flag) != 0) << std::hex << flags;
    }
  }
  const HWND stop = Part(WC_BUTTONW, L"Stop");
  const LONG wide = Inside(stop).right - Inside(stop).left;
  view_->Arrange({kAll, true});
  EXPECT_EQ(Part(WC_BUTTONW, L"Play"), nullptr) << "no labels";
  EXPECT_LT(Inside(stop).right - Inside(stop).left, wide);
}

// The host may go with its dialog or alone; either way the view says so once, stays harmless and
// leaves what the same windows leave without a player.
TEST_F(WindowViewTest, AHostGoneFirstIsToldOnceAndTakesEverythingWithIt) {
  for (const bool wholeDialog : {false, true}) {
    EndHost(wholeDialog);
    const std::vector<long> without = Leftovers();
    Make();
    Show(PlayState::Playing, 0, 1000);
    hostGone_ = 0;
    EndHost(wholeDialog);
    EXPECT_EQ(hostGone_, 1);
    view_->Show({"clip.ra", "", PlayState::Playing, 0, 1000});
    view_->Arrange({kAll, true});
    ticks_ = 0;
    Pump(300);
    view_.reset();
    EXPECT_EQ(std::pair(hostGone_, ticks_), std::pair(1, 0));
    EXPECT_EQ(Leftovers(), without) << "whole dialog " << wholeDialog;
  }
}

TEST_F(WindowViewTest, AViewGoneFirstLeavesTheHostAsItWasEvenAHundredTimes) {
  const LONG_PTR procedure = GetWindowLongPtrA(host_, GWLP_WNDPROC);
  const LONG_PTR extended = GetWindowLongPtrA(host_, GWL_EXSTYLE);
  // Whatever the system keeps from a first use is no leftover.
  Make();
  view_.reset();
  const std::vector<long> before = Leftovers();
  for (int round = 0; round < 100; ++round) {
    Make();
    Show(PlayState::Playing, round, 1000, std::string(300, 'x'));
    view_.reset();
  }
  EXPECT_EQ(Leftovers(), before);
  EXPECT_EQ(GetWindowLongPtrA(host_, GWLP_WNDPROC), procedure) << "no subclass left";
  EXPECT_EQ(GetWindowLongPtrA(host_, GWL_EXSTYLE), extended);
  ticks_ = 0;
  Pump(300);
  SetWindowPos(host_, nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
  DestroyWindow(host_);
  EXPECT_EQ(std::pair(ticks_, hostGone_), std::pair(0, 0));
}

}  // namespace
