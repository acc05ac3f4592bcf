// LoadSettings: defaults for absent values, bounds for stored ones, flags only for "1".
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "effects/transition_context.h"
#include "saver/slide_show.h"
#include "settings/settings.h"
#include "tests/settings/settings_test_support.h"

namespace {

class LoadSettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    SaverSettings = {};
    TransitionContext = {};
    SlideShow = {};
  }

  // Stores one "Settings" value and loads everything again.
  void LoadWith(const char* name, const std::string& text) {
    StoreSetting("Settings", name, text);
    LoadSettings(nullptr);
  }

  TempConfigHome home_;
};

TEST_F(LoadSettingsTest, EmptyStoreGivesEveryDefault) {
  SlideShow.LastEffect = 7;
  LoadSettings(nullptr);
  EXPECT_STREQ(SaverSettings.InstallPath, TAVRIN_DATA_DIR);
  EXPECT_STREQ(SaverSettings.HelpPath, TAVRIN_DATA_DIR "/Tavrin.html");
  EXPECT_EQ(SaverSettings.PictureCount, 1);
  EXPECT_EQ(SaverSettings.SongCount, 0);
  EXPECT_FALSE(SaverSettings.RandomImages);
  EXPECT_FALSE(SaverSettings.RandomEffects);
  EXPECT_FALSE(SaverSettings.PlaySongs);
  EXPECT_FALSE(SaverSettings.RandomSongs);
  EXPECT_FALSE(SaverSettings.ImagePreview);
  EXPECT_EQ(SaverSettings.FirstTickDelay, 50);
  EXPECT_EQ(SaverSettings.PicturePeriod, 6000U);
  EXPECT_EQ(TransitionContext.Effect, 0);
  EXPECT_EQ(TransitionContext.EffectDir, 8);
  EXPECT_EQ(TransitionContext.GrainSize, 4);
  EXPECT_EQ(TransitionContext.DelayFactor, 5);
  EXPECT_EQ(SlideShow.LastEffect, 0);
}

TEST_F(LoadSettingsTest, FlagsAreOnOnlyForExactlyOne) {
  const std::vector<std::pair<std::string, BOOL>> cases = {
      {"1", TRUE},   {"01", FALSE}, {"true", FALSE},
      {" 1", FALSE}, {"1 ", FALSE}, {"0", FALSE},
      {"", FALSE},   {"2", FALSE},  {std::string("1\0x", 3), TRUE}};
  for (const auto& [text, expected] : cases) {
    for (const char* name :
         {"RandomImages", "RandomEffects", "PlaySongs", "RandomSongs", "ImagePreview"}) {
      StoreSetting("Settings", name, text);
    }
    LoadSettings(nullptr);
    EXPECT_EQ(SaverSettings.RandomImages, expected) << '"' << text << '"';
    EXPECT_EQ(SaverSettings.RandomEffects, expected) << '"' << text << '"';
    EXPECT_EQ(SaverSettings.PlaySongs, expected) << '"' << text << '"';
    EXPECT_EQ(SaverSettings.RandomSongs, expected) << '"' << text << '"';
    EXPECT_EQ(SaverSettings.ImagePreview, expected) << '"' << text << '"';
  }
}

TEST_F(LoadSettingsTest, EffectAndDirectionBounds) {
  const std::vector<std::pair<std::string, int>> effects = {{"19", 19},    {"20", 0},  {"-1", 0},
                                                            {"12abc", 12}, {"abc", 0}, {" +3", 3}};
  for (const auto& [text, expected] : effects) {
    LoadWith("Effect", text);
    EXPECT_EQ(TransitionContext.Effect, expected) << text;
    EXPECT_EQ(SlideShow.LastEffect, expected) << text;
  }
  const std::vector<std::pair<std::string, int>> directions = {{"5", 5}, {"-7", -7}, {"x", 8}};
  for (const auto& [text, expected] : directions) {
    LoadWith("EffectDir", text);
    EXPECT_EQ(TransitionContext.EffectDir, expected) << text;
  }
}

TEST_F(LoadSettingsTest, GrainAndDelayFactorFallBackDifferently) {
  const std::vector<std::pair<std::string, int>> grains = {
      {"0", 4}, {"-3", 4}, {"1", 1}, {"250", 250}, {"x", 4}};
  for (const auto& [text, expected] : grains) {
    LoadWith("GrainSize", text);
    EXPECT_EQ(TransitionContext.GrainSize, expected) << text;
  }
  // Absent or not a number: 5. Stored out of range: 10.
  const std::vector<std::pair<std::string, int>> factors = {
      {"0", 10}, {"11", 10}, {"10", 10}, {"1", 1}, {"-4", 10}, {"abc", 5}, {"", 5}};
  for (const auto& [text, expected] : factors) {
    LoadWith("DelayFactor", text);
    EXPECT_EQ(TransitionContext.DelayFactor, expected) << text;
  }
}

TEST_F(LoadSettingsTest, PicturePeriodIsWholeSecondsWithoutWrapping) {
  const std::vector<std::pair<std::string, DWORD>> cases = {{"65", 65000},
                                                            {"66", 66000},
                                                            {"0", 0},
                                                            {"-3", 0},
                                                            {"3600", 3600000},
                                                            {"2147483", 2147483000},
                                                            {"2147484", 0x7FFFFFFF},
                                                            {"99999999999", 0x7FFFFFFF},
                                                            {"abc", 6000},
                                                            {"", 6000},
                                                            {"6s", 6000}};
  for (const auto& [text, expected] : cases) {
    LoadWith("EffectDelay", text);
    EXPECT_EQ(SaverSettings.PicturePeriod, expected) << text;
  }
}

TEST_F(LoadSettingsTest, PlaylistCountsNameNoMoreEntriesThanAreStored) {
  struct Case {
    const char* countName;
    std::string count;
    std::vector<const char*> entries;
    int expected;
  };
  const std::vector<const char*> tenPictures = {"P0", "P1", "P2", "P3", "P4",
                                                "P5", "P6", "P7", "P8", "P9"};
  const std::vector<Case> cases = {
      {"Images", "0", tenPictures, 1},
      {"Images", "-4", tenPictures, 1},
      {"Images", "x", tenPictures, 1},
      {"Images", "7", tenPictures, 7},
      {"Images", "2147483647", tenPictures, 10},
      {"Images", "7", {"P0", "P1", "P2"}, 3},
      {"Images", "7", {}, 1},
      {"Images", "100", {"P0", "P7"}, 8},  // a gap is read past, as before
      {"Images", "9", {"p4"}, 5},          // names are found ignoring case
      {"Images", "9", {"P05", "Px", "P", "S3"}, 1},
      {"Songs", "3", {"S0", "S1", "S2", "S3", "S4"}, 3},
      {"Songs", "2147483647", {"S0", "s1", "P9"}, 2},
      {"Songs", "4", {}, 0},
      {"Songs", "-2", {"S0"}, -2},  // no lower bound on the clip count
  };
  for (const Case& test : cases) {
    const TempConfigHome home;
    for (const char* entry : test.entries) StoreSetting("The Gig", entry, "/pictures/a.jpg");
    StoreSetting("The Gig", test.countName, test.count);
    LoadSettings(nullptr);
    const int got = std::string(test.countName) == "Images" ? SaverSettings.PictureCount
                                                            : SaverSettings.SongCount;
    EXPECT_EQ(got, test.expected) << test.countName << "=" << test.count << " with "
                                  << test.entries.size() << " entries";
  }
}

TEST_F(LoadSettingsTest, InstallAndHelpPathsAreNeverCut) {
  LoadWith("ScreenSaverPath", "/opt/tavrin");
  EXPECT_STREQ(SaverSettings.InstallPath, "/opt/tavrin");
  EXPECT_STREQ(SaverSettings.HelpPath, "/opt/tavrin/Tavrin.html");

  const std::string longest(PATH_MAX, 'p');
  LoadWith("ScreenSaverPath", longest);
  EXPECT_EQ(std::string(SaverSettings.InstallPath), longest);
  EXPECT_STREQ(SaverSettings.HelpPath, "");  // would not fit: left empty rather than cut

  LoadWith("ScreenSaverPath", std::string(PATH_MAX + 1, 'p'));  // unreadable: the default
  EXPECT_STREQ(SaverSettings.InstallPath, TAVRIN_DATA_DIR);
  EXPECT_STREQ(SaverSettings.HelpPath, TAVRIN_DATA_DIR "/Tavrin.html");
}

}  // namespace
