// The configuration dialog of a saver installed without its song player: the sound options
// stay disabled and keep what was stored.
#include <gtest/gtest.h>

#include "config/config_dialog.h"
#include "platform/headless/headless.h"
#include "resources/resource.h"
#include "tests/config/config_test_support.h"

namespace config_test {
namespace {

TEST_F(ConfigDialogTest, WithoutThePlayerTheSoundOptionsStayDisabledAndKeepTheirState) {
  Store("PlaySongs", "1");
  Store("RandomSongs", "1");
  StoreClips(2);
  EXPECT_EQ(RunDialog({[](HWND dialog) {
              EXPECT_EQ(ConfigDialogState.PlayerPresent, FALSE);
              EXPECT_EQ(DisabledControls(dialog), "SoundClips RandomSoundClips ClipOrder");
              EXPECT_EQ(CheckedBoxes(dialog), "SoundClips RandomSoundClips");
              headless::ClickControl(IDOK);
            }}),
            1);
  EXPECT_EQ(Written("PlaySongs"), "1");
  EXPECT_EQ(Written("RandomSongs"), "1");
}

}  // namespace
}  // namespace config_test
