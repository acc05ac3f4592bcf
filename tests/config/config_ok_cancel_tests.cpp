// What the configuration dialog stores: OK's values and their order (the playlists after the
// settings), the fields' parsing, a failing write, and the ways of closing that store nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/config_dialog.h"
#include "platform/headless/headless.h"
#include "resources/resource.h"
#include "saver/picture_library.h"
#include "settings/settings.h"
#include "tests/config/config_test_support.h"

namespace config_test {
namespace {

void ClickOk(HWND /*dialog*/) {
  headless::ClickControl(IDOK);
}

TEST_F(ConfigDialogTest, OkWritesEverySettingInOrderAndCloses) {
  Store("RandomImages", "1");
  Store("RandomSongs", "1");
  Store("Effect", "3");
  Store("EffectDir", "6");
  Store("GrainSize", "12");
  Store("DelayFactor", "2");
  Store("EffectDelay", "66");
  StoreClips(1);
  EXPECT_EQ(RunDialog({Actions({"Preview", "SoundClips"}), ClickOk}), 1);
  EXPECT_EQ(Writes(),
            (std::vector<std::string>{
                "Settings/RandomImages=1", "Settings/RandomEffects=0", "Settings/PlaySongs=1",
                "Settings/RandomSongs=1", "Settings/ImagePreview=1", "Settings/Effect=3",
                "Settings/EffectDir=6", "Settings/GrainSize=12", "Settings/DelayFactor=2",
                "Settings/EffectDelay=66", "The Gig/S0=" + config_.Folder() + "/clip0.ra",
                "The Gig/Songs=1"}));
  EXPECT_EQ(SaverSettings.PlaySongs, TRUE);
  EXPECT_EQ(SaverSettings.ImagePreview, TRUE);
  EXPECT_EQ(PictureLibrary.Module, nullptr);
  EXPECT_EQ(PreviewCalls(), "DrawThumbnail CreateClipPreview LoadClipPreview DestroyClipPreview");
  EXPECT_EQ(ConfigDialogState.ClipPreviewActive, FALSE);
}

struct FieldCase {
  int field;
  const char* typed;
  const char* name;
  const char* stored;
};

const FieldCase FieldCases[] = {
    {IDC_GRAIN_SIZE, "0", "GrainSize", "4"},       {IDC_GRAIN_SIZE, "", "GrainSize", "4"},
    {IDC_GRAIN_SIZE, "abc", "GrainSize", "4"},     {IDC_GRAIN_SIZE, "-2", "GrainSize", "4"},
    {IDC_GRAIN_SIZE, "1234", "GrainSize", "123"},  {IDC_GRAIN_SIZE, " 7a", "GrainSize", "7"},
    {IDC_DELAY_FACTOR, "0", "DelayFactor", "5"},   {IDC_DELAY_FACTOR, "11", "DelayFactor", "5"},
    {IDC_DELAY_FACTOR, "10", "DelayFactor", "10"}, {IDC_DELAY_FACTOR, "1", "DelayFactor", "1"},
    {IDC_DELAY, "", "EffectDelay", "0"},           {IDC_DELAY, "-5", "EffectDelay", "-5"},
    {IDC_DELAY, "12345", "EffectDelay", "1234"},   {IDC_DELAY, "70", "EffectDelay", "70"},
};

class FieldTest : public ConfigDialogTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(FieldTest, OkStoresTheLeadingNumberWithinBounds) {
  const FieldCase& c = GetParam();
  RunDialog({[&c](HWND) {
    EXPECT_TRUE(headless::TypeText(c.field, c.typed));
    headless::ClickControl(IDOK);
  }});
  EXPECT_EQ(Written(c.name), c.stored) << "typed \"" << c.typed << "\"";
}

INSTANTIATE_TEST_SUITE_P(Fields, FieldTest, ::testing::ValuesIn(FieldCases));

// A delay whose milliseconds do not fit 16 bits is shown and stored back as it was.
TEST_F(ConfigDialogTest, UntouchedDelayStoresWhatWasLoaded) {
  for (const char* delay : {"65", "66", "70", "0"}) {
    Store("EffectDelay", delay);
    RunDialog({[delay](HWND dialog) {
      EXPECT_EQ(Text(dialog, IDC_DELAY), delay);
      headless::ClickControl(IDOK);
    }});
    EXPECT_EQ(Written("EffectDelay"), delay);
  }
}

struct CloseCase {
  const char* what;
  bool (*close)();
};

const CloseCase CloseCases[] = {
    {"Cancel", [] { return headless::ClickControl(IDCANCEL); }},
    {"Escape", [] { return headless::PressDialogKey(VK_ESCAPE); }},
    {"close box", [] { return headless::PressCloseBox(); }},
};

class CloseTest : public ConfigDialogTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseTest, WritesNothingAndReturnsZero) {
  const CloseCase& c = GetParam();
  StoreClips(1);
  const INT_PTR result = RunDialog({Actions({"RandomImages", "=Wipe", "Left", "SoundClips"}),
                                    [](HWND) { headless::TypeText(IDC_GRAIN_SIZE, "9"); },
                                    [&c](HWND) { EXPECT_TRUE(c.close()); }});
  EXPECT_EQ(result, 0) << c.what;
  EXPECT_TRUE(Writes().empty()) << c.what;
  EXPECT_EQ(PictureLibrary.Module, nullptr);
  EXPECT_EQ(PreviewCalls(), "CreateClipPreview LoadClipPreview DestroyClipPreview");
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseTest, ::testing::ValuesIn(CloseCases));

// A key by the value's name leaves no room for the value: its write fails, the others go on.
TEST_F(ConfigDialogTest, FailingWriteIsToldAndTheNextValuesAreWritten) {
  HKEY blocker = nullptr;
  char noClass[] = "";
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Dravelin\\Tavrin\\Settings\\GrainSize", 0,
                           noClass, 0, KEY_ALL_ACCESS, nullptr, &blocker, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(blocker);
  EXPECT_EQ(RunDialog({ClickOk}), 1);
  ASSERT_EQ(headless::MessageBoxes().size(), 1U);
  EXPECT_EQ(headless::MessageBoxes()[0].text, "Error setting value GrainSize in registry");
  EXPECT_EQ(headless::MessageBoxes()[0].caption, "WriteRegKey");
  EXPECT_EQ(Written("GrainSize"), "(none)");
  EXPECT_EQ(Written("DelayFactor"), "5");
  EXPECT_EQ(Written("EffectDelay"), "6");
}

}  // namespace
}  // namespace config_test
