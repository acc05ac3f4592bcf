// tavrin-reg, run as a program: exact output, exit codes, and agreement with ReadSetting.

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "settings/read_setting.h"
#include "tests/settings/settings_test_support.h"
#include "tests/support/run_program.h"

namespace {

constexpr const char* kSettings = "Software\\Dravelin\\Tavrin\\Settings";

using ToolResult = test_support::ProgramResult;

ToolResult RunTool(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = {TAVRIN_REG_PATH};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return test_support::RunProgram(std::move(argv));
}

TEST(TavrinRegTest, SetGetListDeleteEndToEnd) {
  TempConfigHome home;
  EXPECT_EQ(RunTool({"set", kSettings, "EffectDelay", "66"}).exitCode, 0);
  EXPECT_EQ(RunTool({"set", kSettings, "ScreenSaverPath", "/opt/tavrin\n"}).exitCode, 0);

  const ToolResult delay = RunTool({"get", "software\\dravelin\\tavrin\\settings", "effectdelay"});
  EXPECT_EQ(delay.exitCode, 0);
  EXPECT_EQ(delay.output, "66");  // exactly the bytes, no newline added
  EXPECT_EQ(RunTool({"get", kSettings, "ScreenSaverPath"}).output, "/opt/tavrin\n");

  // What the tool stores is what the programs read.
  std::string text(SettingTextSize, '\0');
  ReadSetting(nullptr, "Settings", "EffectDelay", text.data());
  EXPECT_STREQ(text.c_str(), "66");

  const ToolResult list = RunTool({"list", kSettings});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.output, "EffectDelay=66\nScreenSaverPath=/opt/tavrin\n\n");

  EXPECT_EQ(RunTool({"delete", kSettings, "EffectDelay"}).exitCode, 0);
  const ToolResult gone = RunTool({"get", kSettings, "EffectDelay"});
  EXPECT_EQ(gone.exitCode, 1);
  EXPECT_EQ(gone.output, "");
  EXPECT_EQ(RunTool({"delete", kSettings, "EffectDelay"}).exitCode, 1);
  EXPECT_EQ(RunTool({"list", "Software\\Nobody"}).exitCode, 1);
  EXPECT_EQ(RunTool({"get", "Software\\Nobody", "x"}).output, "");
}

TEST(TavrinRegTest, BadArgumentsGiveUsage) {
  TempConfigHome home;
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{},
                                             {"frobnicate"},
                                             {"set", kSettings, "Effect"},
                                             {"get", kSettings},
                                             {"list"},
                                             {"delete", kSettings, "a", "b"}}) {
    const ToolResult result = RunTool(arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.output, "");
  }
}

}  // namespace
