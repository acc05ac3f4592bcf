// tavrin-trace dialog run as a program: the events a user's script brings about, in order.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/platform/kernel/temp_config_home.h"
#include "tests/settings/settings_test_support.h"
#include "tests/support/run_program.h"

namespace {

struct Stored {
  const char* subKey;
  const char* name;
  const char* value;
};

struct TraceCase {
  const char* name;
  std::vector<Stored> store;
  std::string script;
  std::string expected;
};

std::string RunDialogTrace(const std::string& program, const std::string& script) {
  const test_support::ProgramResult result = test_support::RunProgram({program, "dialog"}, &script);
  EXPECT_EQ(result.exitCode, 0);
  return result.output;
}

const std::string kOkWrites =
    "write Settings RandomImages 1\n"
    "write Settings RandomEffects 0\n"
    "write Settings PlaySongs 0\n"
    "write Settings RandomSongs 0\n"
    "write Settings ImagePreview 0\n"
    "write Settings Effect 11\n"
    "write Settings EffectDir 1\n"
    "write Settings GrainSize 7\n"
    "write Settings DelayFactor 5\n"
    "write Settings EffectDelay 6\n";

TEST(DialogTraceProgramTest, PrintsWhatTheDialogDoesAsItHappens) {
  const std::vector<TraceCase> cases = {
      {"escape writes nothing", {}, "key escape\n", "end 0\n"},
      {"the close box writes nothing", {}, "close\nclick 1\n", "end 0\n"},
      {"OK writes every setting in order",
       {{"Settings", "Effect", "11"}},
       "click 119\narrow 1015 up\ntype 118 7\nclick 110\nkey enter\n",
       kOkWrites + "end 1\n"},
      {"the preview tick comes when the clock reaches it",
       {{"Settings", "ImagePreview", "1"}},
       "wait 49\nwait 1\nkey escape\n",
       "timer 200 50\nkilltimer 200\nend 0\n"},
      {"help, and a dialog left open",
       {{"Settings", "ScreenSaverPath", "/opt/tavrin"}},
       "key f1\nclick 128\n",
       "help /opt/tavrin/Tavrin.html 3\nhelp /opt/tavrin/Tavrin.html 3\nopen\n"},
      {"the About box over the dialog", {}, "click 127\nkey enter\nclose\n", "end 0\nend 0\n"},
      {"a playlist shown with its tab",
       {{"The Gig", "Images", "1"}, {"The Gig", "P0", "/pictures/sea.jpg"}},
       "show\nclose\n",
       ""},
  };
  for (const TraceCase& test : cases) {
    SCOPED_TRACE(test.name);
    const TempConfigHome home;
    for (const Stored& value : test.store) StoreSetting(value.subKey, value.name, value.value);
    const std::string output = RunDialogTrace(TAVRIN_TRACE_PATH, test.script);
    if (!test.expected.empty()) {
      EXPECT_EQ(output, test.expected);
      continue;
    }
    EXPECT_NE(output.find("ctl 1010 enabled=1 visible=1 checked=0 text= sel=0 count=1\n"
                          "entry 0 sea\\t/pictures/sea.jpg\n"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("ctl 1000 enabled=1 visible=1 checked=0 text=Normal sel="),
              std::string::npos);
    EXPECT_EQ(output.substr(output.size() - 6), "end 0\n");
  }
}

TEST(DialogTraceProgramTest, WithoutThePictureLibraryTheDialogTellsAndEnds) {
  // A copy of the tracer in a folder of its own finds no library beside it.
  const TempConfigHome home;
  const std::string alone = home.Folder() + "/tavrin-trace";
  std::filesystem::copy_file(TAVRIN_TRACE_PATH, alone);
  EXPECT_EQ(RunDialogTrace(alone, "show\nkey escape\n"),
            "box 0x30 Tavrin|Unable to load NViewLib.dll, screensaver will stop.\nend 1\n");
}

}  // namespace
