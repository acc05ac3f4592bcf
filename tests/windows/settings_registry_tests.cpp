// The settings store on Windows is the real registry: what the saver writes is what Windows holds,
// values stored by other tools read back, and the installation folder comes from the installer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/transition_context.h"
#include "platform/win32.h"
#include "saver/slide_show.h"
#include "settings/install_layout.h"
#include "settings/settings.h"

namespace {

constexpr char kTavrinKey[] = "Software\\Dravelin\\Tavrin";

// The raw bytes and type of a value under the saver's key, as Windows holds them.
struct RawValue {
  LSTATUS status = ERROR_FILE_NOT_FOUND;
  DWORD type = 0;
  std::string bytes;
};

RawValue QueryRaw(HKEY root, const std::string& subKey, const char* name) {
  RawValue value;
  HKEY key = nullptr;
  value.status = RegOpenKeyExA(root, (std::string(kTavrinKey) + subKey).c_str(), 0, KEY_READ, &key);
  if (value.status != ERROR_SUCCESS) return value;
  DWORD size = 0;
  value.status = RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size);
  value.bytes.resize(size);
  if (value.status == ERROR_SUCCESS && size > 0) {
    value.status = RegQueryValueExA(key, name, nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(value.bytes.data()), &size);
  }
  RegCloseKey(key);
  return value;
}

void StoreRaw(HKEY root, const std::string& subKey, const char* name, const std::string& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, (std::string(kTavrinKey) + subKey).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

std::string Read(const char* subKey, const char* name) {
  std::string destination(SettingTextSize, '#');
  ReadSetting(nullptr, subKey, name, destination.data());
  return destination.c_str();
}

// Each test starts and ends with no Tavrin key for the user or the machine.
class RegistryTest : public testing::Test {
 protected:
  void SetUp() override { Clear(); }
  void TearDown() override { Clear(); }
  static void Clear() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kTavrinKey);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTavrinKey);
  }
};

// The longest path Windows has: MAX_PATH counts the NUL.
const std::string kLongestPath(MAX_PATH - 1, 'p');

// Windows may hand back the NUL that the ANSI call adds when it turns the text into Unicode.
std::string WithoutNul(std::string bytes) {
  if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  return bytes;
}

TEST_F(RegistryTest, WrittenValuesAreTextAndReadBackWhole) {
  for (const std::string& text :
       std::vector<std::string>{"12", "", "C:\\Pictures\\a b.jpg", kLongestPath}) {
    WriteSetting(nullptr, "The Gig", "P0", text.c_str());
    const RawValue raw = QueryRaw(HKEY_CURRENT_USER, "\\The Gig", "P0");
    EXPECT_EQ(raw.status, ERROR_SUCCESS);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(WithoutNul(raw.bytes), text);
    EXPECT_EQ(Read("The Gig", "P0"), text);
  }
}

TEST_F(RegistryTest, ValuesStoredByOtherToolsRead) {
  // reg.exe and regedit store the NUL; names compare ignoring case, as keys do.
  const std::vector<std::pair<std::string, std::string>> stored = {
      {std::string("7\0", 2), "7"},
      {std::string("C:\\x.bmp\0tail", 13), "C:\\x.bmp"},
      {kLongestPath, kLongestPath},
      {std::string(PATH_MAX + 1, 'a'), ""},  // too long for any path: never cut
  };
  for (const auto& [bytes, text] : stored) {
    StoreRaw(HKEY_CURRENT_USER, "\\Settings", "Effect", bytes);
    EXPECT_EQ(Read("settings", "EFFECT"), text);
  }
  EXPECT_EQ(Read("Settings", "GrainSize"), "");
  EXPECT_EQ(Read("No Such Key", "Effect"), "");
}

TEST_F(RegistryTest, LoadSettingsReadsAndBoundsTheStoredValues) {
  WriteSetting(nullptr, "Settings", "Effect", "12");
  WriteSetting(nullptr, "Settings", "DelayFactor", "11");
  WriteSetting(nullptr, "Settings", "GrainSize", "0");
  WriteSetting(nullptr, "Settings", "EffectDelay", "66");
  WriteSetting(nullptr, "Settings", "RandomImages", "1");
  WriteSetting(nullptr, "Settings", "PlaySongs", "true");
  WriteSetting(nullptr, "The Gig", "Images", "0");
  WriteSetting(nullptr, "The Gig", "Songs", "3");
  for (const char* clip : {"S0", "S1", "S2", "s3"}) WriteSetting(nullptr, "The Gig", clip, "a.ra");
  LoadSettings(nullptr);
  EXPECT_EQ(TransitionContext.Effect, 12);
  EXPECT_EQ(TransitionContext.DelayFactor, 10);
  EXPECT_EQ(TransitionContext.GrainSize, 4);
  EXPECT_EQ(SaverSettings.PicturePeriod, 66000U);
  EXPECT_TRUE(SaverSettings.RandomImages);
  EXPECT_FALSE(SaverSettings.PlaySongs);
  EXPECT_EQ(SaverSettings.PictureCount, 1);
  EXPECT_EQ(SaverSettings.SongCount, 3);
  EXPECT_EQ(SlideShow.LastEffect, 12);
  // A count far above what is stored names what is there, found through the registry's listing.
  WriteSetting(nullptr, "The Gig", "Songs", "2147483647");
  LoadSettings(nullptr);
  EXPECT_EQ(SaverSettings.SongCount, 4);
}

// The user's "ScreenSaverPath" wins; without it the installer's folder; without that the
// program's own. The help page is beside the pictures, joined as Windows joins paths.
TEST_F(RegistryTest, InstallFolderAndHelpPage) {
  char program[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, program, sizeof program), 0U);
  std::string own(program);
  own.erase(own.find_last_of('\\'));

  LoadSettings(nullptr);
  EXPECT_EQ(std::string(SaverSettings.InstallPath), own);
  EXPECT_EQ(std::string(SaverSettings.HelpPath), own + "\\Tavrin.html");

  StoreRaw(HKEY_LOCAL_MACHINE, "", "InstallDir", std::string("C:\\Program Files\\Tavrin\0", 24));
  LoadSettings(nullptr);
  EXPECT_STREQ(SaverSettings.InstallPath, "C:\\Program Files\\Tavrin");
  EXPECT_STREQ(SaverSettings.HelpPath, "C:\\Program Files\\Tavrin\\Tavrin.html");

  WriteSetting(nullptr, "Settings", "ScreenSaverPath", "D:\\Shows");
  LoadSettings(nullptr);
  EXPECT_STREQ(SaverSettings.InstallPath, "D:\\Shows");
  EXPECT_STREQ(SaverSettings.HelpPath, "D:\\Shows\\Tavrin.html");

  // A folder whose help page would not fit gets none rather than a cut path.
  const std::string longest(PATH_MAX - 5, 'f');
  WriteSetting(nullptr, "Settings", "ScreenSaverPath", longest.c_str());
  LoadSettings(nullptr);
  EXPECT_EQ(std::string(SaverSettings.InstallPath), longest);
  EXPECT_STREQ(SaverSettings.HelpPath, "");
}

TEST(InstallLayoutTest, SongPlayerIsAnExeInTheSystemDirectory) {
  char path[40];
  EXPECT_TRUE(JoinPath(path, sizeof path, "C:\\Windows\\system32", SongPlayerFileName));
  EXPECT_STREQ(path, "C:\\Windows\\system32\\tavrinra.exe");
  EXPECT_FALSE(JoinPath(path, 12, "C:\\Windows", SongPlayerFileName));
  EXPECT_STREQ(path, "");
}

}  // namespace
