// Input during a transition: the transition stops where it is, the tick ends as usual, and the
// input that stopped it closes the saver.
#include <cstdint>

#include "effects/pace_observer.h"
#include "platform/headless/headless.h"
#include "saver/host.h"
#include "saver/slide_show.h"
#include "tests/saver/saver_test_support.h"

namespace {

using saver_test::SaverTest;

// The settings window that hosts a preview, killed at the start of a chosen pace step.
std::uintptr_t previewHost = 0;
int stepsBeforeHostDies = 0;

void KillHostAtChosenStep() {
  if (stepsBeforeHostDies-- == 0) headless::DestroyForeignWindow(previewHost);
}

TEST_F(SaverTest, KeyDuringATransitionCutsItShortAndClosesTheSaver) {
  AddPicture(0, 400, 100);
  ChooseOneColumnWipe();
  HWND window = OpenPastTheLogo(nullptr);
  // Wipe paces 50 x 101 polls a step: the key shows during the tenth step's pace.
  headless::ScriptInput(window, WM_KEYDOWN, 'A', 0, headless::PollCount() + 9 * 5050 + 7);
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(Copies().size(), 10U);
  EXPECT_EQ(headless::WindowPixel(window, 0, 0), 0U);
}

TEST_F(SaverTest, MotionDuringATransitionInAPreviewCutsItShortButClosesNothing) {
  AddPicture(0, 700, 100);
  Set("Settings", "EffectDelay", "1");
  ChooseOneColumnWipe();
  const std::uintptr_t parent = headless::CreateForeignWindow(800, 600);
  HWND window = OpenPastTheLogo(reinterpret_cast<HWND>(parent));  // NOLINT
  headless::SetCursorPos(POINT{500, 500});
  headless::ScriptInput(window, WM_MOUSEMOVE, 0, 0, headless::PollCount() + 3 * 5050 + 1);
  Run(1000);
  EXPECT_EQ(Copies().size(), 4U);
  // The next picture comes a period later, whole this time.
  ForgetCopies();
  Run(1000);
  EXPECT_EQ(Copies().size(), 700U);
  EXPECT_TRUE(IsWindow(window));
  DestroyWindow(window);
}

TEST_F(SaverTest, PreviewHostDestroyedDuringATransitionCutsItShortAndClosesThePreview) {
  AddPicture(0, 700, 100);
  ChooseOneColumnWipe();
  previewHost = headless::CreateForeignWindow(800, 600);
  HWND window = OpenPastTheLogo(reinterpret_cast<HWND>(previewHost));  // NOLINT
  stepsBeforeHostDies = 9;
  PaceObserver = KillHostAtChosenStep;
  const int code = RunMessageLoop();
  PaceObserver = nullptr;
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(IsWindow(window));
  // The tenth step's first poll saw the host go: no column after it was drawn.
  EXPECT_EQ(Copies().size(), 10U);
}

}  // namespace
