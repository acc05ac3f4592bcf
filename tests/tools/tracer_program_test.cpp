// tavrin-trace run as a program: its exact output for the built engine, its settings report,
// and its refusals.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32.h"
#include "tests/platform/kernel/temp_config_home.h"
#include "tests/support/run_program.h"

namespace {

using ToolResult = test_support::ProgramResult;

ToolResult RunTracer(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = {TAVRIN_TRACE_PATH};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return test_support::RunProgram(std::move(argv));
}

void Store(const std::string& subKey, const char* name, const std::string& value) {
  const std::string path = "Software\\Dravelin\\Tavrin\\" + subKey;
  HKEY key = nullptr;
  char noClass[] = "";
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, noClass, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                           static_cast<DWORD>(value.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST(TracerProgramTest, NormalIsOneCopyAndLeavesNothingUndrawn) {
  const ToolResult plain = RunTracer({"effect", "0", "8", "30", "20", "4"});
  EXPECT_EQ(plain.exitCode, 0);
  EXPECT_EQ(plain.output, "blt 0 0 30 20 0 0\ndiff 0\n");

  // Cut at every edge of a smaller window: only what lies inside counts.
  const ToolResult cut =
      RunTracer({"effect", "0", "5", "30", "20", "4", "--at", "-3", "-2", "--window", "25", "15",
                 "--clock", "99", "--delay-factor", "1", "--abort-after", "1"});
  EXPECT_EQ(cut.exitCode, 0);
  EXPECT_EQ(cut.output, "blt -3 -2 30 20 0 0\ndiff 0\n");
}

TEST(TracerProgramTest, AForeignCodeOrEffectDrawsNothing) {
  // Drip has no code 2; there is no effect 20.
  EXPECT_EQ(RunTracer({"effect", "4", "2", "7", "5", "1"}).output, "diff 35\n");
  EXPECT_EQ(RunTracer({"effect", "20", "2", "7", "5", "1", "--at", "5", "0"}).output, "diff 10\n");
  EXPECT_EQ(RunTracer({"effect", "-1", "0", "3", "3", "1"}).output, "diff 9\n");
}

TEST(TracerProgramTest, RefusesBadArgumentsWithUsage) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {},
           {"replay"},
           {"effect", "0", "8", "30", "20"},
           {"effect", "0", "8", "0", "20", "4"},
           {"effect", "0", "8", "30", "20", "0"},
           {"effect", "0", "8", "30x", "20", "4"},
           {"effect", "0", "8", "5000", "5000", "4"},
           {"effect", "0", "8", "30", "20", "4", "--at", "1"},
           {"effect", "0", "8", "30", "20", "4", "--window", "0", "5"},
           {"effect", "0", "8", "30", "20", "4", "--abort-after", "0"},
           {"effect", "0", "8", "30", "20", "4", "--clock", "-1"},
           {"effect", "0", "8", "30", "20", "4", "--delay-factor", "11"},
           {"effect", "0", "8", "30", "20", "4", "--fast"},
           {"settings", "extra"},
       }) {
    const ToolResult result = RunTracer(arguments);
    EXPECT_EQ(result.exitCode, 2) << testing::PrintToString(arguments);
    EXPECT_EQ(result.output, "");
  }
}

TEST(TracerProgramTest, SettingsReportsDefaultsThenStoredValues) {
  TempConfigHome home;
  const std::string defaults =
      "Effect=0\nEffectDir=8\nGrainSize=4\nDelayFactor=5\nPicturePeriod=6000\n"
      "FirstTickDelay=50\nPictureCount=1\nSongCount=0\nRandomImages=0\nRandomEffects=0\n"
      "PlaySongs=0\nRandomSongs=0\nImagePreview=0\nInstallPath=" TAVRIN_BUILD_DATA_DIR
      "\nHelpPath=" TAVRIN_BUILD_DATA_DIR "/Tavrin.html\n";
  const ToolResult empty = RunTracer({"settings"});
  EXPECT_EQ(empty.exitCode, 0);
  EXPECT_EQ(empty.output, defaults);

  const std::vector<std::pair<const char*, const char*>> stored = {
      {"Effect", "11"},
      {"EffectDir", "2"},
      {"GrainSize", "9"},
      {"DelayFactor", "3"},
      {"EffectDelay", "12"},
      {"RandomImages", "1"},
      {"RandomEffects", "1"},
      {"PlaySongs", "1"},
      {"RandomSongs", "1"},
      {"ImagePreview", "1"},
      {"ScreenSaverPath", "/opt/tavrin"}};
  for (const auto& [name, value] : stored) Store("Settings", name, value);
  // Counts name no more entries than are stored: the last of each list is enough.
  Store("The Gig", "P6", "/pictures/a.jpg");
  Store("The Gig", "S2", "/clips/a.ra");
  Store("The Gig", "Images", "7");
  Store("The Gig", "Songs", "3");

  EXPECT_EQ(RunTracer({"settings"}).output,
            "Effect=11\nEffectDir=2\nGrainSize=9\nDelayFactor=3\nPicturePeriod=12000\n"
            "FirstTickDelay=50\nPictureCount=7\nSongCount=3\nRandomImages=1\nRandomEffects=1\n"
            "PlaySongs=1\nRandomSongs=1\nImagePreview=1\nInstallPath=/opt/tavrin\n"
            "HelpPath=/opt/tavrin/Tavrin.html\n");
}

}  // namespace
