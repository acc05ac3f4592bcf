// WriteSetting: what it stores, and the two boxes it shows when the store refuses.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/handles.h"
#include "platform/message_box.h"
#include "settings/settings.h"
#include "tests/settings/settings_test_support.h"

namespace {

struct RecordedBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};

class WriteSettingTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetMessageBoxHandler(
        [this](HWND owner, const std::string& text, const std::string& caption, UINT type) {
          boxes_.push_back({owner, text, caption, type});
          return IDOK;
        });
  }
  void TearDown() override { platform::SetMessageBoxHandler(nullptr); }

  std::string Read(const char* subKey, const char* name) {
    std::string destination(SettingTextSize, '#');
    ReadSetting(nullptr, subKey, name, destination.data());
    return destination.c_str();
  }
  std::string KeyFolder(const char* subKey) const {
    return home_.Registry() + "/Software/Dravelin/Tavrin/" + subKey;
  }

  TempConfigHome home_;
  std::vector<RecordedBox> boxes_;
  HWND window_ = platform::MakeHandle<HWND>(0x40000123);
};

TEST_F(WriteSettingTest, StoresTheTextWithoutItsNulAndReadsBackEqual) {
  WriteSetting(window_, "The Gig", "P0", "/home/me/pictures/a.jpg");
  WriteSetting(window_, "Settings", "EffectDelay", "66");
  WriteSetting(window_, "Settings", "EffectDelay", "7");
  WriteSetting(window_, "The Gig", "P1", "");
  EXPECT_EQ(Read("The Gig", "P0"), "/home/me/pictures/a.jpg");
  EXPECT_EQ(Read("Settings", "EffectDelay"), "7");
  EXPECT_EQ(Read("The Gig", "P1"), "");
  EXPECT_EQ(std::filesystem::file_size(KeyFolder("The Gig") + "/P0"), 23U);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(WriteSettingTest, KeyThatCannotBeCreatedShowsTheWriteRegkeyBox) {
  // A file where the key's folder must go (chmod would not stop root).
  std::filesystem::create_directories(home_.Registry() + "/Software/Dravelin/Tavrin");
  std::ofstream(KeyFolder("Settings")) << "in the way";
  WriteSetting(window_, "Settings", "Effect", "3");
  WriteSetting(window_, "Settings", "GrainSize", "4");
  WriteSetting(window_, "The Gig", "Images", "1");  // a working key still takes its value
  ASSERT_EQ(boxes_.size(), 2U);
  EXPECT_EQ(boxes_[0].owner, window_);
  EXPECT_EQ(boxes_[0].text, "Error writing Effect to registry");
  EXPECT_EQ(boxes_[0].caption, "WriteRegkey");
  EXPECT_EQ(boxes_[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(boxes_[1].text, "Error writing GrainSize to registry");
  EXPECT_EQ(Read("The Gig", "Images"), "1");
}

TEST_F(WriteSettingTest, ValueThatCannotBeSetShowsTheWriteRegKeyBox) {
  WriteSetting(window_, "Settings", "Effect", "3");
  // A folder where the value's file must go.
  std::filesystem::create_directory(KeyFolder("Settings") + "/PlaySongs");
  WriteSetting(window_, "Settings", "PlaySongs", "1");
  ASSERT_EQ(boxes_.size(), 1U);
  EXPECT_EQ(boxes_[0].owner, window_);
  EXPECT_EQ(boxes_[0].text, "Error setting value PlaySongs in registry");
  EXPECT_EQ(boxes_[0].caption, "WriteRegKey");
  EXPECT_EQ(boxes_[0].type, static_cast<UINT>(0x30));
  EXPECT_EQ(Read("Settings", "Effect"), "3");
}

}  // namespace
