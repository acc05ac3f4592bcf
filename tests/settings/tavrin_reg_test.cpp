// tavrin-reg, run as a program: exact output, exit codes, and agreement with ReadSetting.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/read_setting.h"
#include "tests/settings/settings_test_support.h"

namespace {

constexpr const char* kSettings = "Software\\Dravelin\\Tavrin\\Settings";

struct ToolResult {
  int exitCode = -1;
  std::string output;
};

ToolResult RunTool(const std::vector<std::string>& arguments) {
  std::vector<std::string> all = {TAVRIN_REG_PATH};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  argv.reserve(all.size() + 1);
  for (std::string& argument : all) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int output[2];
  EXPECT_EQ(pipe(output), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", 0, 0);
  posix_spawn_file_actions_addclose(&actions, output[0]);
  pid_t pid = 0;
  ToolResult result;
  const int spawned = posix_spawn(&pid, all[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  EXPECT_EQ(spawned, 0);
  char buffer[4096];
  ssize_t got = 0;
  while ((got = read(output[0], buffer, sizeof buffer)) > 0) {
    result.output.append(buffer, static_cast<std::size_t>(got));
  }
  close(output[0]);
  int status = 0;
  if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    result.exitCode = WEXITSTATUS(status);
  }
  return result;
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
