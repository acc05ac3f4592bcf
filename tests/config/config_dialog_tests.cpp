// The configuration dialog's controls: what opening shows for a store, and what the effect
// settings, the boxes and the previews do when the user works them.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "config/config_dialog.h"
#include "platform/headless/headless.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "tests/config/config_test_support.h"

namespace config_test {
namespace {

using Settings = std::vector<std::pair<const char*, const char*>>;

template <typename Case>
class DialogCaseTest : public ConfigDialogTest, public ::testing::WithParamInterface<Case> {
 protected:
  void StoreAll(const Settings& settings) {
    for (const auto& [name, value] : settings) Store(name, value);
  }
};

struct OpeningCase {
  const char* what;
  Settings settings;
  int clips;
  const char* effect;
  const char* checked;
  const char* enabled;
  const char* boxes;
  const char* disabled;
  const char* fields;
};

const OpeningCase OpeningCases[] = {
    {"an empty store", {}, 0, "Normal", "None", "None", "", "SoundClips RandomSoundClips", "4 5 6"},
    {"every flag on",
     {{"RandomImages", "1"},
      {"RandomEffects", "1"},
      {"PlaySongs", "1"},
      {"RandomSongs", "1"},
      {"Effect", "11"},
      {"EffectDir", "2"}},
     2,
     "Wipe",
     "Right",
     "",
     "RandomImages RandomEffects SoundClips RandomSoundClips",
     "Effect PictureOrder ClipOrder",
     "4 5 6"},
    {"an effect the sorted combo holds elsewhere",
     {{"Effect", "6"}},
     0,
     "Random blocks",
     "None",
     "None",
     "",
     "SoundClips RandomSoundClips",
     "4 5 6"},
    {"a code the diagonal class lacks",
     {{"Effect", "3"}, {"EffectDir", "4"}},
     0,
     "Diagonal",
     "Right Down",
     "Left Right Up Down",
     "",
     "SoundClips RandomSoundClips",
     "4 5 6"},
    {"Scramble",
     {{"Effect", "16"}},
     0,
     "Scramble",
     "None",
     "None",
     "",
     "GrainSize SoundClips RandomSoundClips",
     "4 5 6"},
    {"Scramble at random",
     {{"Effect", "16"}, {"RandomEffects", "1"}},
     0,
     "Scramble",
     "None",
     "",
     "RandomEffects",
     "Effect SoundClips RandomSoundClips",
     "4 5 6"},
    {"stored fields, the delay beyond 65 seconds",
     {{"GrainSize", "7"}, {"DelayFactor", "3"}, {"EffectDelay", "66"}},
     0,
     "Normal",
     "None",
     "None",
     "",
     "SoundClips RandomSoundClips",
     "7 3 66"},
    {"clips stored but not played", {}, 1, "Normal", "None", "None", "", "", "4 5 6"},
    {"the preview on",
     {{"ImagePreview", "1"}},
     0,
     "Normal",
     "None",
     "None",
     "Preview",
     "SoundClips RandomSoundClips",
     "4 5 6"},
};

using OpeningTest = DialogCaseTest<OpeningCase>;

TEST_P(OpeningTest, ShowsTheStore) {
  const OpeningCase& c = GetParam();
  SCOPED_TRACE(c.what);
  StoreAll(c.settings);
  StoreClips(c.clips);
  RunDialog({[&c](HWND dialog) {
    EXPECT_EQ(ComboSelection(dialog), c.effect);
    EXPECT_EQ(CheckedDirections(dialog), c.checked);
    EXPECT_EQ(EnabledDirections(dialog), c.enabled);
    EXPECT_EQ(CheckedBoxes(dialog), c.boxes);
    EXPECT_EQ(DisabledControls(dialog), c.disabled);
    EXPECT_EQ(Fields(dialog), c.fields);
    EXPECT_EQ(Visible(dialog, IDC_THUMBNAIL), SaverSettings.ImagePreview != FALSE);
    EXPECT_EQ(SendDlgItemMessage(dialog, IDC_EFFECT, CB_GETCOUNT, 0, 0), 20);
  }});
}

INSTANTIATE_TEST_SUITE_P(Stores, OpeningTest, ::testing::ValuesIn(OpeningCases));

// Each class's buttons, its fallback for a code it lacks, and the code OK stores for them.
struct DirectionCase {
  int effect;
  int stored;
  const char* checked;
  const char* enabled;
  const char* code;
};

const DirectionCase DirectionCases[] = {
    {0, 8, "None", "None", "0"},
    {4, 8, "Down", "Up Down", "8"},
    {4, 1, "Up", "Up Down", "4"},
    {7, 2, "Right", "Left Right Up Down", "2"},
    {7, 4, "Up", "Left Right Up Down", "4"},
    {7, 8, "Down", "Left Right Up Down", "8"},
    {7, 5, "Left", "Left Right Up Down", "1"},
    {3, 5, "Left Up", "Left Right Up Down", "5"},
    {3, 6, "Right Up", "Left Right Up Down", "6"},
    {3, 9, "Left Down", "Left Right Up Down", "9"},
    {3, 4, "Right Down", "Left Right Up Down", "10"},
    {1, 2, "Vertical", "Horizontal Vertical", "2"},
    {1, 8, "Horizontal", "Horizontal Vertical", "1"},
    {5, 1, "Out", "In Out", "1"},
    {5, 8, "In", "In Out", "2"},
};

using DirectionTest = DialogCaseTest<DirectionCase>;

TEST_P(DirectionTest, ShowsTheClassAndStoresWhatIsShown) {
  const DirectionCase& c = GetParam();
  Store("Effect", std::to_string(c.effect));
  Store("EffectDir", std::to_string(c.stored));
  const INT_PTR result = RunDialog({[&c](HWND dialog) {
    EXPECT_EQ(CheckedDirections(dialog), c.checked);
    EXPECT_EQ(EnabledDirections(dialog), c.enabled);
    EXPECT_EQ(DirectionCodeFromButtons(dialog), std::stoi(c.code));
    headless::ClickControl(IDOK);
  }});
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Written("EffectDir"), c.code);
}

INSTANTIATE_TEST_SUITE_P(Classes, DirectionTest, ::testing::ValuesIn(DirectionCases));

// Clicks on the direction buttons, effect changes and Random Effects, then OK.
struct EffectCase {
  const char* what;
  Settings settings;
  std::vector<std::string> actions;
  const char* checked;
  const char* enabled;
  bool grainEnabled;
  const char* effect;  // as OK stores it
  const char* code;
};

const EffectCase EffectCases[] = {
    {"Left of four", {{"Effect", "7"}}, {"Left"}, "Left", "Left Right Up Down", true, "7", "1"},
    {"Up, then Right",
     {{"Effect", "7"}},
     {"Up", "Right"},
     "Right",
     "Left Right Up Down",
     true,
     "7",
     "2"},
    {"the checked one again",
     {{"Effect", "7"}},
     {"Down"},
     "Down",
     "Left Right Up Down",
     true,
     "7",
     "8"},
    {"another effect shows the loaded code",
     {{"Effect", "7"}},
     {"Left", "=Wipe"},
     "Down",
     "Left Right Up Down",
     true,
     "11",
     "8"},
    {"the same effect keeps the choice",
     {{"Effect", "7"}},
     {"Left", "=Slide"},
     "Left",
     "Left Right Up Down",
     true,
     "7",
     "1"},
    {"diagonal pairs are independent",
     {{"Effect", "3"}, {"EffectDir", "10"}},
     {"Left"},
     "Left Down",
     "Left Right Up Down",
     true,
     "3",
     "9"},
    {"both diagonal pairs",
     {{"Effect", "3"}, {"EffectDir", "10"}},
     {"Left", "Up"},
     "Left Up",
     "Left Right Up Down",
     true,
     "3",
     "5"},
    {"up and down", {{"Effect", "4"}}, {"Up"}, "Up", "Up Down", true, "4", "4"},
    {"vertical",
     {{"Effect", "1"}},
     {"Vertical"},
     "Vertical",
     "Horizontal Vertical",
     true,
     "1",
     "2"},
    {"out", {{"Effect", "5"}}, {"Out"}, "Out", "In Out", true, "5", "1"},
    {"None unticks", {}, {"None"}, "", "None", true, "0", "0"},
    {"random effects keep the checks",
     {{"Effect", "7"}},
     {"RandomEffects"},
     "Down",
     "",
     true,
     "7",
     "8"},
    {"random effects off offers the class",
     {{"Effect", "11"}, {"EffectDir", "2"}, {"RandomEffects", "1"}},
     {"RandomEffects"},
     "Right",
     "Left Right Up Down",
     true,
     "11",
     "2"},
    {"Scramble takes no grain",
     {{"Effect", "11"}},
     {"=Scramble"},
     "None",
     "None",
     false,
     "16",
     "0"},
    {"leaving Scramble",
     {{"Effect", "16"}},
     {"=Wipe"},
     "Down",
     "Left Right Up Down",
     true,
     "11",
     "8"},
    {"Scramble, then random effects",
     {{"Effect", "11"}},
     {"=Scramble", "RandomEffects"},
     "None",
     "",
     true,
     "16",
     "0"},
    {"random Scramble unticked keeps the grain",
     {{"Effect", "16"}, {"RandomEffects", "1"}},
     {"RandomEffects"},
     "None",
     "None",
     true,
     "16",
     "0"},
};

using EffectTest = DialogCaseTest<EffectCase>;

TEST_P(EffectTest, ActionsThenOk) {
  const EffectCase& c = GetParam();
  SCOPED_TRACE(c.what);
  StoreAll(c.settings);
  const INT_PTR result = RunDialog({Actions(c.actions), [&c](HWND dialog) {
                                      EXPECT_EQ(CheckedDirections(dialog), c.checked);
                                      EXPECT_EQ(EnabledDirections(dialog), c.enabled);
                                      EXPECT_EQ(Enabled(dialog, IDC_GRAIN_SIZE), c.grainEnabled);
                                      headless::ClickControl(IDOK);
                                    }});
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Written("Effect"), c.effect);
  EXPECT_EQ(Written("EffectDir"), c.code);
}

INSTANTIATE_TEST_SUITE_P(Actions, EffectTest, ::testing::ValuesIn(EffectCases));

// The boxes that switch the playlist editors and the previews. Two clips are stored and the
// song player is installed beside the test program.
struct OptionCase {
  const char* what;
  Settings settings;
  std::vector<std::string> actions;
  const char* disabled;
  const char* previewCalls;
  bool clipPreviewActive;
  bool thumbnailVisible;
};

const OptionCase OptionCases[] = {
    {"random images", {}, {"RandomImages"}, "PictureOrder", "", false, false},
    {"random images off", {{"RandomImages", "1"}}, {"RandomImages"}, "", "", false, false},
    {"random clips off", {{"RandomSongs", "1"}}, {"RandomSoundClips"}, "", "", false, false},
    {"sound clips off",
     {{"PlaySongs", "1"}},
     {"SoundClips"},
     "ClipList ClipOrder ClipBrowse ClipRemove",
     "",
     false,
     false},
    {"sound clips on", {}, {"SoundClips"}, "", "CreateClipPreview LoadClipPreview", true, false},
    {"sound clips on, off, on",
     {},
     {"SoundClips", "SoundClips", "SoundClips"},
     "",
     "CreateClipPreview LoadClipPreview DestroyClipPreview CreateClipPreview LoadClipPreview",
     true,
     false},
    {"a clip picked while played",
     {{"PlaySongs", "1"}},
     {"#1", "#0"},
     "",
     "CreateClipPreview LoadClipPreview LoadClipPreview",
     true,
     false},
    {"a clip picked while not played", {}, {"#1"}, "", "", false, false},
    {"preview on", {}, {"Preview"}, "", "DrawThumbnail", false, true},
    {"preview on and off", {}, {"Preview", "Preview"}, "", "DrawThumbnail", false, false},
};

using OptionTest = DialogCaseTest<OptionCase>;

TEST_P(OptionTest, SwitchesEditorsAndPreviews) {
  const OptionCase& c = GetParam();
  SCOPED_TRACE(c.what);
  StoreAll(c.settings);
  StoreClips(2);
  RunDialog({Actions(c.actions), [&c](HWND dialog) {
               EXPECT_EQ(DisabledControls(dialog), c.disabled);
               EXPECT_EQ(PreviewCalls(), c.previewCalls);
               EXPECT_EQ(ConfigDialogState.ClipPreviewActive != FALSE, c.clipPreviewActive);
               EXPECT_EQ(Visible(dialog, IDC_THUMBNAIL), c.thumbnailVisible);
             }});
}

INSTANTIATE_TEST_SUITE_P(Boxes, OptionTest, ::testing::ValuesIn(OptionCases));

TEST_F(ConfigDialogTest, PreviewAtOpeningShowsBothPreviewsAfterTheFirstTick) {
  Store("ImagePreview", "1");
  StoreClips(1);
  RunDialog({[this](HWND dialog) {
               EXPECT_TRUE(Visible(dialog, IDC_THUMBNAIL));
               EXPECT_EQ(timers_, (std::vector<TimerEvent>{{true, 200, 50}}));
               EXPECT_EQ(PreviewCalls(), "");
             },
             Pass(49), [](HWND) { EXPECT_EQ(PreviewCalls(), ""); }, Pass(1),
             [this](HWND dialog) {
               EXPECT_EQ(timers_.back(), (TimerEvent{false, 200, 0}));
               EXPECT_EQ(ConfigDialogState.TimerHandle, 0U);
               EXPECT_FALSE(Checked(dialog, IDC_SOUND_CLIPS));
               EXPECT_EQ(PreviewCalls(), "DrawThumbnail CreateClipPreview LoadClipPreview");
               EXPECT_TRUE(ConfigDialogState.ClipPreviewActive != FALSE);
             },
             Pass(50), [](HWND) { headless::ClickControl(IDCANCEL); }});
  EXPECT_EQ(PreviewCalls(), "DrawThumbnail CreateClipPreview LoadClipPreview DestroyClipPreview");
}

TEST_F(ConfigDialogTest, PreviewTickKeepsAClipPlayerTheUserMadeFirst) {
  Store("ImagePreview", "1");
  StoreClips(1);
  RunDialog({Actions({"SoundClips"}), Pass(50), [](HWND) {
               EXPECT_EQ(PreviewCalls(),
                         "CreateClipPreview LoadClipPreview DrawThumbnail LoadClipPreview");
             }});
}

TEST_F(ConfigDialogTest, NoTimerWithoutPreview) {
  RunDialog({Pass(50), [this](HWND dialog) {
               EXPECT_TRUE(timers_.empty());
               EXPECT_FALSE(Visible(dialog, IDC_THUMBNAIL));
               EXPECT_EQ(PreviewCalls(), "");
             }});
}

TEST_F(ConfigDialogTest, PlaylistsFilledFromTheStoreSkippingEmptyEntries) {
  const std::string first = AddPicture(0, 8, 8);
  const std::string third = AddPicture(2, 8, 8);
  SetPictureCount(3);
  Set("The Gig", "S0", "/clips/cast.photo.ra");
  Set("The Gig", "S1", "/clips/no extension");
  Set("The Gig", "S2", "c:noslash.ra");
  // Far beyond the 127 characters of old: listed whole, never cut into another path.
  const std::string longPath = "/" + std::string(300, 'x') + "/long.ra";
  Set("The Gig", "S3", longPath);
  Set("The Gig", "Songs", "4");
  RunDialog({[&](HWND dialog) {
    EXPECT_EQ(ListEntries(dialog, IDC_PICTURE_LIST),
              (std::vector<std::string>{"picture0\t" + first, "picture2\t" + third}));
    EXPECT_EQ(ListEntries(dialog, IDC_CLIP_LIST),
              (std::vector<std::string>{"cast.photo\t/clips/cast.photo.ra",
                                        "no extension\t/clips/no extension",
                                        "noslash\tc:noslash.ra", "long\t" + longPath}));
    EXPECT_EQ(ConfigDialogState.PictureEntryCount, 2);
    EXPECT_EQ(ConfigDialogState.ClipEntryCount, 4);
    EXPECT_EQ(SendDlgItemMessage(dialog, IDC_PICTURE_LIST, LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessage(dialog, IDC_CLIP_LIST, LB_GETCURSEL, 0, 0), 0);
  }});
}

TEST_F(ConfigDialogTest, HelpButtonAndF1OpenTheHelpPage) {
  RunDialog({[](HWND) { headless::ClickControl(IDC_HELP_BUTTON); },
             [](HWND) { headless::PressDialogKey(VK_F1); }});
  ASSERT_EQ(headless::HelpRequests().size(), 2U);
  for (const headless::HelpRecord& request : headless::HelpRequests()) {
    EXPECT_EQ(request.path, SaverSettings.HelpPath);
    EXPECT_EQ(request.command, static_cast<UINT>(HELP_CONTENTS));
  }
}

TEST_F(ConfigDialogTest, AboutBoxClosesEachWayBackToTheDialog) {
  HWND configure = nullptr;
  std::vector<Step> steps;
  for (bool (*close)() : {+[] { return headless::ClickControl(IDOK); },
                          +[] { return headless::PressDialogKey(VK_ESCAPE); },
                          +[] { return headless::PressCloseBox(); }}) {
    steps.emplace_back([&configure](HWND dialog) {
      configure = dialog;
      EXPECT_TRUE(headless::ClickControl(IDC_ABOUT_BUTTON));
    });
    steps.emplace_back([&configure, close](HWND dialog) {
      EXPECT_NE(dialog, configure);
      EXPECT_TRUE(close());
    });
    steps.emplace_back([&configure](HWND dialog) { EXPECT_EQ(dialog, configure); });
  }
  steps.emplace_back([](HWND) { headless::ClickControl(IDCANCEL); });
  EXPECT_EQ(RunDialog(steps), 0);
}

}  // namespace
}  // namespace config_test
