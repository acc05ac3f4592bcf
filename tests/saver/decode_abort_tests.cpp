// Input while the picture library decodes a long picture: the library gives up, the show gets no
// picture, and the input that stopped the decode still closes the saver, whose message loop finds
// it queued. (A termination signal's part is tested with the library and end to end.)
#include "platform/headless/headless.h"
#include "saver/host.h"
#include "tests/saver/saver_test_support.h"

namespace {

using saver_test::SaverTest;

class LongDecode : public SaverTest {
 protected:
  // The logo shown, and a long picture due a second later, then a transition paced poll by poll.
  HWND OpenShowOfALongPicture() {
    path_ = AddLongPicture(0, 400, 100, 100000);
    Set("Settings", "EffectDelay", "1");
    ChooseOneColumnWipe();
    return OpenPastTheLogo(nullptr);
  }
  std::string path_;
};

TEST_F(LongDecode, AKeyDuringTheDecodeEndsTheShowBeforeThePictureIsShown) {
  HWND window = OpenShowOfALongPicture();
  // Nothing polls until the picture's tick; the decode asks once a poll, so this is well inside it.
  headless::ScriptInput(window, WM_KEYDOWN, 'A', 0, headless::PollCount() + 500);
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(saver_test::AbandonedPaths(), std::vector<std::string>{path_});
  // At most the logo's first column, drawn before the transition's first look at the input.
  EXPECT_LE(Copies().size(), 1U);
}

TEST_F(LongDecode, MotionInAPreviewNeverStopsTheDecode) {
  const std::uintptr_t parent = headless::CreateForeignWindow(800, 600);
  path_ = AddLongPicture(0, 400, 100, 1000);
  Set("Settings", "EffectDelay", "1");
  HWND window = OpenSaverWindow(reinterpret_cast<HWND>(parent));  // NOLINT
  Run(50);
  headless::SetCursorPos(POINT{500, 500});
  headless::ScriptInput(window, WM_MOUSEMOVE, 0, 0);
  Run(1000);
  EXPECT_TRUE(saver_test::AbandonedPaths().empty());
  EXPECT_EQ(saver_test::DecodedPaths(), std::vector<std::string>{path_});
  EXPECT_TRUE(IsWindow(window));
  DestroyWindow(window);
}

}  // namespace
