// The configuration dialog without a usable picture library: it says so and closes at once.
// Built twice: beside a library without its decode entry, and beside none.
#include <gtest/gtest.h>

#include "config/config_dialog.h"
#include "platform/headless/headless.h"
#include "saver/picture_library.h"
#include "tests/config/config_test_support.h"

namespace config_test {
namespace {

TEST_F(ConfigDialogTest, MissingPictureLibraryIsToldAndClosesTheDialogWritingNothing) {
  Store("ImagePreview", "1");
  EXPECT_EQ(RunDialog({}), 1);
  ASSERT_EQ(headless::MessageBoxes().size(), 1U);
  const headless::MessageBoxRecord& box = headless::MessageBoxes()[0];
  EXPECT_NE(box.owner, nullptr);
  EXPECT_EQ(box.text, "Unable to load NViewLib.dll, screensaver will stop.");
  EXPECT_EQ(box.caption, "Tavrin");
  EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_TRUE(Writes().empty());
  EXPECT_TRUE(timers_.empty());
  EXPECT_EQ(PictureLibrary.Module, nullptr);
}

}  // namespace
}  // namespace config_test
