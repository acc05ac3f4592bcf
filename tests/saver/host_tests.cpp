// The host: modes and exit codes, the filter procedure and the default handling, one
// full-screen saver at a time, and the ends a caller can give it (signals, a parent going).
#include <signal.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/headless/headless.h"
#include "saver/host.h"
#include "saver/linux_start.h"
#include "saver/slide_show.h"
#include "tests/saver/saver_test_support.h"

namespace {

using saver_test::RunAt;
using saver_test::SaverTest;

std::uintptr_t foreignParent = 0;
HWND seenSaver = nullptr;

// Ends a full-screen saver the way a user does: a key.
void PressKeyOnSaver() {
  seenSaver = FindWindow(SaverClassName, FullScreenTitle);
  headless::ScriptInput(seenSaver, WM_KEYDOWN, 'Q', 0);
}

// Ends a preview the way its caller does: the parent goes away.
void DestroyForeignParent() {
  seenSaver = ScreenSaverHost.SaverWindow;
  headless::DestroyForeignWindow(foreignParent);
}

HWND ForeignHandle(std::uintptr_t id) {
  return reinterpret_cast<HWND>(id);  // NOLINT(performance-no-int-to-ptr)
}

class HostTest : public SaverTest {
 protected:
  void SetUp() override {
    SaverTest::SetUp();
    seenSaver = nullptr;
    foreignParent = headless::CreateForeignWindow(320, 240);
  }
  int Main(const std::string& commandLine) {
    return ScreenSaverMain(GetModuleHandle(nullptr), commandLine.c_str());
  }
};

TEST_F(HostTest, ShowModesRunFullScreenUntilInputAndExitWithZero) {
  for (const char* line : {"tavrin /s", "tavrin -s", "tavrin s", "tavrin    /S",
                           "\"/opt/screen savers/tavrin\" /s", "tavrin -/ s"}) {
    headless::Install(1024, 768);
    RunAt(500, PressKeyOnSaver);
    EXPECT_EQ(Main(line), 0) << line;
    EXPECT_NE(seenSaver, nullptr) << line;
    EXPECT_FALSE(ScreenSaverHost.Preview) << line;
    EXPECT_FALSE(IsWindow(seenSaver)) << line;
  }
}

TEST_F(HostTest, PreviewModesRunInTheGivenWindowUntilItGoes) {
  for (const char* mode : {"/p ", "/P ", "-l ", "/p 0x"}) {
    headless::Install(1024, 768);
    foreignParent = headless::CreateForeignWindow(320, 240);
    char id[32];
    std::snprintf(id, sizeof id, std::string(mode).ends_with("0x") ? "%lx" : "%lu",
                  static_cast<unsigned long>(foreignParent));
    RunAt(500, DestroyForeignParent);
    const std::string line = std::string("tavrin ") + mode + id;
    EXPECT_EQ(Main(line), 0) << line;
    EXPECT_TRUE(ScreenSaverHost.Preview) << line;
    EXPECT_NE(seenSaver, nullptr) << line;
    EXPECT_FALSE(IsWindow(seenSaver)) << line;
  }
}

TEST_F(HostTest, ModesWithoutAWindowExitWithTheirCodes) {
  // The dialog's template is not there yet: DialogBoxParam's -1 is the result.
  EXPECT_EQ(Main("tavrin"), -1);
  EXPECT_EQ(Main("tavrin   "), -1);
  EXPECT_EQ(Main("tavrin /c"), -1);
  EXPECT_EQ(Main("tavrin /c:1234"), -1);
  // No password to change on this family.
  EXPECT_EQ(Main("tavrin /a"), -1);
  EXPECT_EQ(Main("tavrin /x"), -1);
  EXPECT_EQ(Main("tavrin /p"), -1);
  EXPECT_EQ(Main("tavrin /p 12345"), -1);
  EXPECT_EQ(Main("tavrin /p 99999999999999999999"), -1);
  EXPECT_EQ(FindWindow(SaverClassName, nullptr), nullptr);
  EXPECT_TRUE(headless::MessageBoxes().empty());
}

TEST_F(HostTest, OnlyOneFullScreenSaverRunsAtATime) {
  HWND first = OpenSaverWindow(nullptr);
  ASSERT_NE(first, nullptr);
  SetForegroundWindow(nullptr);
  EXPECT_EQ(RunSaverWindow(nullptr), 0);
  EXPECT_EQ(ScreenSaverHost.SaverWindow, first);
  EXPECT_EQ(GetForegroundWindow(), first);
  DestroyWindow(first);
}

// --- The filter procedure and DefScreenSaverProc -----------------------------------

bool CloseWasPosted(HWND window) {
  MSG message{};
  return PeekMessage(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
}

TEST_F(HostTest, FullScreenClosesOnKeysButtonsLeavingTheAppAndMotionAboveFourPixels) {
  headless::SetCursorPos(POINT{100, 100});
  HWND window = OpenSaverWindow(nullptr);
  DispatchPending();
  EXPECT_TRUE(headless::CursorHidden());

  for (const UINT message :
       {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
    SendMessage(window, message, 0, 0);
    EXPECT_TRUE(CloseWasPosted(window)) << message;
  }
  SendMessage(window, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_FALSE(CloseWasPosted(window));
  SendMessage(window, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_TRUE(CloseWasPosted(window));

  // 2 across and 2 down is 4 pixels: a jolt. One more pixel closes.
  headless::SetCursorPos(POINT{102, 102});
  SendMessage(window, WM_MOUSEMOVE, 0, 0);
  EXPECT_FALSE(CloseWasPosted(window));
  headless::SetCursorPos(POINT{97, 102});
  SendMessage(window, WM_MOUSEMOVE, 0, 0);
  EXPECT_TRUE(CloseWasPosted(window));
  // Motion is measured from where it last closed.
  headless::SetCursorPos(POINT{99, 103});
  SendMessage(window, WM_MOUSEMOVE, 0, 0);
  EXPECT_FALSE(CloseWasPosted(window));

  EXPECT_EQ(SendMessage(window, WM_SETCURSOR, 0, 0), 1);
  DestroyWindow(window);
}

TEST_F(HostTest, PreviewNeverClosesOnInput) {
  headless::SetCursorPos(POINT{100, 100});
  HWND window = OpenSaverWindow(ForeignHandle(foreignParent));
  ASSERT_NE(window, nullptr);
  headless::SetCursorPos(POINT{400, 400});
  for (const UINT message :
       {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_MOUSEMOVE}) {
    SendMessage(window, message, 0, 0);
  }
  SendMessage(window, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_FALSE(CloseWasPosted(window));
  // Help goes to the window the preview lives in (here another process's: nothing to post).
  EXPECT_EQ(SendMessage(window, WM_HELP, 0, 0), 1);
  EXPECT_TRUE(IsWindow(window));
  DestroyWindow(window);
}

TEST_F(HostTest, TitleNeverChangesAndSwitchingAwayIsRefused) {
  HWND window = OpenSaverWindow(nullptr);
  EXPECT_EQ(SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Something else")), 0);
  EXPECT_EQ(FindWindow(SaverClassName, FullScreenTitle), window);
  for (const WPARAM command : {SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE, SC_SCREENSAVE + 2}) {
    EXPECT_EQ(SendMessage(window, WM_SYSCOMMAND, command, 0), 0);
    EXPECT_TRUE(IsWindow(window));
  }
  DestroyWindow(window);
}

TEST_F(HostTest, OnceClosingTheShowGetsNoMoreTicks) {
  AddPicture(0, 64, 64);
  HWND window = OpenPastTheLogo(nullptr);
  ScreenSaverHost.Closing = TRUE;
  EXPECT_EQ(SendMessage(window, WM_TIMER, SlideShowTimerId, 0), 0);
  EXPECT_TRUE(Copies().empty());
  ScreenSaverHost.Closing = FALSE;
  DestroyWindow(window);
}

TEST_F(HostTest, CloseDestroysTheWindowReleasesEverythingAndQuits) {
  HWND window = OpenSaverWindow(nullptr);
  Run(50);
  SendMessage(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(SlideShow.TimerHandle, 0U);
  EXPECT_EQ(RunMessageLoop(), 0);
}

// --- Ends from outside: signals, and the Linux start-up options ---------------------

void RaiseTerminate() {
  seenSaver = ScreenSaverHost.SaverWindow;
  raise(SIGTERM);
}

TEST_F(HostTest, TerminationSignalClosesTheSaverTheOrdinaryWay) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    WNDCLASSA plain{};
    plain.lpfnWndProc = DefWindowProcA;
    plain.lpszClassName = "TavrinPlainTest";
    RegisterClass(&plain);
    HWND window =
        CreateWindowEx(0, "TavrinPlainTest", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(TavrinPostOnTerminationSignals(window, WM_CLOSE));
    headless::SetBlockingWait(true);
    raise(signal);
    MSG message{};
    ASSERT_GT(GetMessage(&message, nullptr, 0, 0), 0);
    headless::SetBlockingWait(false);
    EXPECT_EQ(message.hwnd, window);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_CLOSE));
    DestroyWindow(window);
  }

  // The whole saver: SIGTERM closes it, the loop ends with 0.
  headless::Install(1024, 768);
  RunAt(300, RaiseTerminate);
  EXPECT_EQ(RunSaverWindow(nullptr), 0);
  EXPECT_NE(seenSaver, nullptr);
  EXPECT_FALSE(IsWindow(seenSaver));
}

int Start(std::initializer_list<const char*> arguments) {
  std::vector<const char*> argv(arguments);
  return StartFromArguments(static_cast<int>(argv.size()), argv.data());
}

TEST_F(HostTest, RootAndWindowIdOptionsRunTheShowInsideTheNamedWindow) {
  char hex[32];
  std::snprintf(hex, sizeof hex, "0x%lx", static_cast<unsigned long>(foreignParent));
  RunAt(500, DestroyForeignParent);
  EXPECT_EQ(Start({"tavrin", "--window-id", hex}), 0);
  EXPECT_TRUE(ScreenSaverHost.Preview);

  headless::Install(1024, 768);
  foreignParent = headless::CreateForeignWindow(800, 600);
  setenv("XSCREENSAVER_WINDOW", std::to_string(foreignParent).c_str(), 1);
  RunAt(500, DestroyForeignParent);
  EXPECT_EQ(Start({"tavrin", "-root"}), 0);
  EXPECT_TRUE(ScreenSaverHost.Preview);
  unsetenv("XSCREENSAVER_WINDOW");

  EXPECT_EQ(Start({"tavrin", "-window-id"}), -1);
  EXPECT_EQ(Start({"tavrin", "-window-id", "bogus"}), -1);
  EXPECT_EQ(Start({"tavrin", "--window-id", "0x1fffff0"}), -1);
  setenv("XSCREENSAVER_WINDOW", "not a window", 1);
  EXPECT_EQ(Start({"tavrin", "--root"}), -1);
  unsetenv("XSCREENSAVER_WINDOW");
  // Everything else is a Win32 command line.
  EXPECT_EQ(Start({"tavrin", "/x"}), -1);
}

}  // namespace
