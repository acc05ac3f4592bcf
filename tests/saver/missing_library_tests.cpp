// A saver whose picture library is missing, or has no decode entry, stops before it shows
// anything. Built twice: beside a library without the entry, and beside none.
#include "platform/headless/headless.h"
#include "saver/host.h"
#include "saver/picture_library.h"
#include "saver/slide_show.h"
#include "tests/saver/saver_test_support.h"

namespace {

using saver_test::SaverTest;

TEST_F(SaverTest, MissingPictureLibraryShowsItsBoxAndQuitsBeforeAnyTimer) {
  AddPicture(0, 64, 64);
  HWND window = OpenSaverWindow(nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(headless::MessageBoxes().size(), 1U);
  const headless::MessageBoxRecord& box = headless::MessageBoxes()[0];
  EXPECT_EQ(box.owner, window);
  EXPECT_EQ(box.text, "Unable to load NViewLib.dll, screensaver will stop.");
  EXPECT_EQ(box.caption, "Tavrin");
  EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(SlideShow.TimerHandle, 0U);
  EXPECT_EQ(PictureLibrary.Module, nullptr);

  EXPECT_EQ(RunMessageLoop(), 0);
  Run(2000);
  EXPECT_TRUE(Copies().empty());
  EXPECT_FALSE(SlideShow.PlayerStarted);
}

}  // namespace
