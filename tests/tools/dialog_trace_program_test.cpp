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

// The clip player's set-up as the real library answers it, up to its first clip.
const std::string kPlayerSetUp =
    "ragui RaguiProductVersion\n"
    "ragui RaguiFormClientIdString 512 \"Tavrin Saver\" \"3.0\" \"EN\" \"DistCode\"\n"
    "ragui RaguiSetupClient 120 \"Tavrin Saver/3.0 (EN; DistCode)\" \"Tavrin Saver\" "
    "\"Sample Application\" \"3.0\" \"Ragui Version 1.0.0.1\" "
    "\"Tavrin Screen Saver, by the Tavrin project\" \"http://www.real.com\" 1027\n"
    "ragui RaguiNew 1\n"
    "ragui RaguiSetConsoleName 1 \"_unique\" 1\n"
    "ragui RaguiSetControlsFlags 1 0x700\n"
    "ragui RaguiSetNoLabels 1 0\n"
    "ragui RaguiSetWindow 1 1027\n"
    "ragui RaguiSetAutoStart 1 0\n";

TEST(DialogTraceProgramTest, PrintsWhatTheDialogDoesAsItHappens) {
  const std::vector<TraceCase> cases = {
      {"escape writes nothing", {}, "key escape\n", "end 0\n"},
      {"the close box writes nothing", {}, "close\nclick 1\n", "end 0\n"},
      {"OK writes every setting in order",
       {{"Settings", "Effect", "11"}},
       "click 119\narrow 1015 up\ntype 118 7\nclick 110\nkey enter\n",
       kOkWrites + "end 1\n"},
      {"the preview tick comes when the clock reaches it and makes the clip player",
       {{"Settings", "ImagePreview", "1"}},
       "wait 49\nwait 1\nkey escape\n",
       "timer 200 50\nkilltimer 200\n" + kPlayerSetUp +
           "ragui RaguiDestroy 1\nragui RaguiShutdownClient 1\nend 0\n"},
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

// Lines that must come in this order, with anything between them.
constexpr const char* kPlasma = TAVRIN_SOURCE_DATA_DIR "/pictures/sample-1-plasma-640x480.jpg";
constexpr const char* kClouds = TAVRIN_SOURCE_DATA_DIR "/pictures/sample-9-clouds-2560x1600.jpg";
constexpr const char* kChime = TAVRIN_SOURCE_DATA_DIR "/clips/chime.ra";
constexpr const char* kTune = TAVRIN_SOURCE_DATA_DIR "/clips/tune-rising.ra";

struct EditorTraceCase {
  const char* name;
  std::vector<Stored> store;
  std::string script;
  std::vector<std::string> lines;
};

TEST(DialogTraceProgramTest, ChooserAnswersAndArrowsDriveThePlaylistEditors) {
  // The chooser starts in a folder that is there: the install folder, then where the last file
  // was chosen.
  const std::string suffix = "|Tavrin Screen Saver - Select file to add|0x81204|";
  const std::string chooser = "chooser " TAVRIN_SOURCE_DATA_DIR + suffix;
  const std::string clip = TAVRIN_SOURCE_DATA_DIR "/clips/a.ra";
  const std::vector<Stored> install = {{"Settings", "ScreenSaverPath", TAVRIN_SOURCE_DATA_DIR}};
  const std::vector<EditorTraceCase> cases = {
      {"two files chosen are appended and saved",
       install,
       "choose /pics/a.jpg\nchoose /pics/b.jpg\nclick 1018\nshow\nclick 1\n",
       {chooser + "jpg", "ctl 1010 enabled=1 visible=1 checked=0 text= sel=1 count=2",
        "entry 0 a\\t/pics/a.jpg", "entry 1 b\\t/pics/b.jpg", "write The Gig P0 /pics/a.jpg",
        "write The Gig P1 /pics/b.jpg", "write The Gig Images 2", "end 1"}},
      {"a cancelled chooser adds nothing",
       install,
       "choose /pics/a.jpg\ncancel-chooser\nclick 1018\nkey escape\n",
       {chooser + "jpg", "end 0"}},
      {"a chooser with no answer is cancelled, and an answer serves once",
       install,
       "choose " + clip + "\nclick 1025\nclick 1025\nshow\nclose\n",
       {chooser + "ra", "chooser " TAVRIN_SOURCE_DATA_DIR "/clips" + suffix + "ra",
        "ctl 1024 enabled=1 visible=1 checked=0 text= sel=0 count=1", "entry 0 a\\t" + clip,
        "end 0"}},
      {"the upper arrow moves the first entry to the bottom, then one up",
       {{"The Gig", "Images", "3"},
        {"The Gig", "P0", "/p/0.jpg"},
        {"The Gig", "P1", "/p/1.jpg"},
        {"The Gig", "P2", "/p/2.jpg"}},
       "arrow 1015 up\narrow 1015 up\nkey enter\n",
       {"write The Gig P0 /p/1.jpg", "write The Gig P1 /p/0.jpg", "write The Gig P2 /p/2.jpg",
        "write The Gig Images 3", "end 1"}},
      {"the previews: each thumbnail with its picture's size, each clip handed to the one player",
       {{"Settings", "ImagePreview", "1"},
        {"Settings", "PlaySongs", "1"},
        {"The Gig", "Images", "2"},
        {"The Gig", "P0", kPlasma},
        {"The Gig", "P1", kClouds},
        {"The Gig", "Songs", "2"},
        {"The Gig", "S0", kChime},
        {"The Gig", "S1", kTune}},
       "wait 50\npick 1010 #1\npick 1024 #1\nclick 1002\nclick 1002\nkey escape\n",
       {std::string("thumbnail ") + kPlasma + " 640 480", "ragui RaguiNew 1",
        std::string("ragui RaguiSetSource 1 \"") + kChime + "\"",
        "ragui RaguiStatusScan 1 \"ClipOpened Callback\"",
        std::string("thumbnail ") + kClouds + " 2560 1600",
        std::string("ragui RaguiSetSource 1 \"") + kTune + "\"", "ragui RaguiDestroy 1",
        "ragui RaguiShutdownClient 1", "ragui RaguiNew 2",
        std::string("ragui RaguiSetSource 2 \"") + kTune + "\"", "ragui RaguiDestroy 2", "end 0"}},
      {"removing the last picture tells",
       {},
       "click 1019\nclose\n",
       {"box 0x30 Tavrin|No more images to be deleted !", "end 0"}},
  };
  for (const EditorTraceCase& test : cases) {
    SCOPED_TRACE(test.name);
    const TempConfigHome home;
    for (const Stored& value : test.store) StoreSetting(value.subKey, value.name, value.value);
    const std::string output = RunDialogTrace(TAVRIN_TRACE_PATH, test.script);
    std::size_t at = 0;
    for (const std::string& line : test.lines) {
      const std::size_t found = output.find(line + "\n", at);
      EXPECT_NE(found, std::string::npos) << "no \"" << line << "\" in order in:\n" << output;
      if (found != std::string::npos) at = found + line.size();
    }
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
