// Every program's --help and --version: answered on standard output with exit code 0, with no
// display, before anything of the program starts.
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/platform/kernel/temp_config_home.h"
#include "tests/support/run_program.h"

namespace {

struct Program {
  const char* path;
  std::string name;
  std::vector<std::string> named;  // what its usage names: its modes or commands
};

TEST(ProgramInformationTest, HelpAndVersionOnStandardOutput) {
  unsetenv("DISPLAY");
  setenv("SDL_AUDIODRIVER", "dummy", 1);  // a player that did start would play into nothing
  const TempConfigHome home;
  const std::vector<Program> programs = {
      {TAVRIN_PROGRAM,
       "tavrin",
       {"/s", "-s", "/S", "/p ID", "/l ID", "--window-id ID", "-root", "--root", "/c", "/a",
        "--help", "-h", "/?", "--version", "tavrin(1)"}},
      {TAVRINRA_PROGRAM, "tavrinra", {"--help", "-h", "/?", "--version", "tavrinra(1)"}},
      {TAVRIN_REG_PROGRAM,
       "tavrin-reg",
       {"set KEY NAME VALUE", "get KEY NAME", "delete KEY NAME", "list KEY", "--help", "-h", "/?",
        "--version", "tavrin-reg(1)"}},
  };
  for (const Program& program : programs) {
    SCOPED_TRACE(program.name);
    const test_support::ProgramResult help = test_support::RunProgram({program.path, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.starts_with("usage: " + program.name)) << help.output;
    for (const std::string& named : program.named) {
      EXPECT_NE(help.output.find(named), std::string::npos) << named;
    }
    std::istringstream lines(help.output);
    for (std::string line; std::getline(lines, line);) EXPECT_LT(line.size(), 80u) << line;

    for (const char* alias : {"-h", "/?"}) {
      const test_support::ProgramResult same = test_support::RunProgram({program.path, alias});
      EXPECT_EQ(same.exitCode, 0) << alias;
      EXPECT_EQ(same.output, help.output) << alias;
    }
    const test_support::ProgramResult version =
        test_support::RunProgram({program.path, "--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, program.name + " " + TAVRIN_VERSION + "\n");
  }
}

}  // namespace
