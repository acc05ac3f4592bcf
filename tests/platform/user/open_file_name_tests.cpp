// GetOpenFileName over the headless chooser: the request the chooser sees, and the chosen
// files laid out as Win32 lays them out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/user/chooser_folder.h"
#include "platform/win32.h"
#include "tests/platform/kernel/temp_config_home.h"

namespace {

using namespace std::string_literals;

constexpr char kFilters[] = "JPEG (*.jpg)\0*.jpg;*.jpeg\0All\0*\0";

struct Outcome {
  BOOL result = FALSE;
  DWORD error = 0;
  std::string bytes;  // the buffer up to the double NUL that ends it (one NUL for one file)
  WORD nameOffset = 0;
  WORD extensionOffset = 0;
};

// Asks for files with a buffer of `size` bytes, the headless chooser answering `chosen` (none:
// cancelled).
Outcome Ask(const std::vector<std::string>& chosen, DWORD size = 4096,
            DWORD flags = OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_EXPLORER,
            DWORD structSize = OPENFILENAME_SIZE_VERSION_400) {
  if (!chosen.empty()) headless::ChooseNextFiles(chosen);
  std::vector<char> buffer(size + 1, '\x7f');
  OPENFILENAMEA request{};
  request.lStructSize = structSize;
  request.lpstrFilter = kFilters;
  request.lpstrFile = buffer.data();
  request.nMaxFile = size;
  request.lpstrInitialDir = "/tmp/pictures";
  request.lpstrTitle = "Pick";
  request.Flags = flags;
  request.lpstrDefExt = "jpg";
  Outcome outcome;
  outcome.result = GetOpenFileNameA(&request);
  outcome.error = CommDlgExtendedError();
  outcome.nameOffset = request.nFileOffset;
  outcome.extensionOffset = request.nFileExtension;
  if (outcome.result != FALSE) {
    const std::string all(buffer.data(), size);
    const std::size_t end = request.nFileOffset > 0 && all[request.nFileOffset - 1] == '\0'
                                ? all.find("\0\0"s)
                                : all.find('\0');
    outcome.bytes = all.substr(0, end);
  } else if (outcome.error == FNERR_BUFFERTOOSMALL) {
    outcome.bytes = std::to_string(static_cast<unsigned char>(buffer[0]) |
                                   (static_cast<unsigned char>(buffer[1]) << 8));
  }
  return outcome;
}

struct Case {
  const char* what;
  std::vector<std::string> chosen;
  DWORD size;
  DWORD flags;
  BOOL result;
  DWORD error;
  std::string bytes;
  WORD nameOffset;
  WORD extensionOffset;
};

TEST(OpenFileNameTest, ChosenFilesComeBackInWin32sForm) {
  constexpr DWORD kMulti = OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_EXPLORER;
  const std::vector<Case> cases = {
      {"one file: its path", {"/pics/sea.jpg"}, 64, kMulti, TRUE, 0, "/pics/sea.jpg", 6, 10},
      {"one file without extension", {"/pics/sea"}, 64, kMulti, TRUE, 0, "/pics/sea", 6, 9},
      {"several: folder, names, empty name",
       {"/pics/a.jpg", "/pics/b.jpg"},
       64,
       kMulti,
       TRUE,
       0,
       "/pics\0a.jpg\0b.jpg"s,
       6,
       0},
      {"several in the root: no doubled separator",
       {"/a.jpg", "/b.jpg"},
       64,
       kMulti,
       TRUE,
       0,
       "/\0a.jpg\0b.jpg"s,
       2,
       0},
      {"several folders: names below the folder they share",
       {"/pics/x/a.jpg", "/pics/y/b.jpg"},
       64,
       kMulti,
       TRUE,
       0,
       "/pics\0x/a.jpg\0y/b.jpg"s,
       6,
       0},
      {"one file only without multiple selection",
       {"/pics/a.jpg", "/pics/b.jpg"},
       64,
       OFN_FILEMUSTEXIST,
       TRUE,
       0,
       "/pics/a.jpg",
       6,
       8},
      {"exactly the room it needs",
       {"/pics/a.jpg", "/pics/b.jpg"},
       19,
       kMulti,
       TRUE,
       0,
       "/pics\0a.jpg\0b.jpg"s,
       6,
       0},
      {"a byte short: the size it needs",
       {"/pics/a.jpg", "/pics/b.jpg"},
       18,
       kMulti,
       FALSE,
       FNERR_BUFFERTOOSMALL,
       "19",
       0,
       0},
      {"cancelled", {}, 64, kMulti, FALSE, 0, "", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    headless::Install(320, 200);
    const Outcome outcome = Ask(c.chosen, c.size, c.flags);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_EQ(outcome.bytes, c.bytes);
    EXPECT_EQ(outcome.nameOffset, c.nameOffset);
    EXPECT_EQ(outcome.extensionOffset, c.extensionOffset);
  }
}

TEST(OpenFileNameTest, TheChooserSeesTheRequestAndAnAnswerServesOnce) {
  headless::Install(320, 200);
  platform::user::ForgetChooserFolders();
  std::filesystem::create_directories("/tmp/pictures");
  std::vector<std::string> seen;
  headless::Observer observer;
  observer.chooser = [&seen](const std::string& folder, const std::string& title, DWORD flags,
                             const std::string& extension) {
    seen.push_back(folder + "|" + title + "|" + std::to_string(flags) + "|" + extension);
  };
  headless::SetObserver(observer);
  EXPECT_EQ(Ask({"/tmp/pictures/a.jpg"}).result, TRUE);
  // The answer was used: the next chooser is cancelled, as is one told so.
  EXPECT_EQ(Ask({}).result, FALSE);
  headless::ChooseNextFiles({"/tmp/pictures/a.jpg"});
  headless::CancelNextChooser();
  EXPECT_EQ(Ask({}).result, FALSE);
  EXPECT_EQ(seen,
            std::vector<std::string>(3, "/tmp/pictures|Pick|" + std::to_string(0x81200) + "|jpg"));
  // A record of a size Win32 never had is refused before any chooser opens.
  const Outcome refused = Ask({"/pics/a.jpg"}, 64, 0, 12);
  EXPECT_EQ(refused.result, FALSE);
  EXPECT_EQ(refused.error, static_cast<DWORD>(CDERR_STRUCTSIZE));
  EXPECT_EQ(seen.size(), 3U);
  headless::SetObserver({});
}

// Where the chooser opens: the folder asked for when it is there, the one last chosen from when
// the program asks again for its first folder (as Windows does), else the pictures folder.
TEST(OpenFileNameTest, TheChooserStartsInAFolderThatIsThere) {
  const TempConfigHome home;
  const std::string& root = home.Folder();
  const char* savedHome = std::getenv("HOME");
  const std::string previousHome = savedHome != nullptr ? savedHome : "/";
  setenv("HOME", root.c_str(), 1);
  for (const char* folder : {"/A", "/B", "/C", "/Bilder"}) {
    std::filesystem::create_directories(root + folder);
  }
  const std::string userDirs = home.Folder() + "/user-dirs.dirs";
  struct Step {
    const char* what;
    const char* userDirsLine;  // nullptr: no user-dirs.dirs
    std::string chosenBefore;  // noted as the folder of the last choice, when not empty
    std::string asked;
    std::string expected;
  };
  const std::string missing = root + "/share/tavrin";
  const std::vector<Step> steps = {
      {"a folder that is there", nullptr, "", root + "/A", root + "/A"},
      {"a missing folder: the pictures folder", "XDG_PICTURES_DIR=\"$HOME/Bilder\"", "", missing,
       root + "/Bilder"},
      {"a missing pictures folder: home", "XDG_PICTURES_DIR=\"$HOME/Gone\"", "", missing, root},
      {"no user-dirs.dirs: home", nullptr, "", missing, root},
      {"the first folder again: where the user chose last", nullptr, root + "/B", root + "/A",
       root + "/B"},
      {"another folder: that one", nullptr, "", root + "/C", root + "/C"},
      {"the last choice's folder gone: the pictures folder", "XDG_PICTURES_DIR=\"$HOME/Bilder\"",
       root + "/Gone", root + "/A", root + "/Bilder"},
  };
  platform::user::ForgetChooserFolders();
  for (const Step& step : steps) {
    std::filesystem::remove(userDirs);
    if (step.userDirsLine != nullptr) {
      std::ofstream(userDirs) << "# written by xdg-user-dirs-update\n" << step.userDirsLine << "\n";
    }
    if (!step.chosenBefore.empty()) platform::user::NoteChosenFolder(step.chosenBefore);
    EXPECT_EQ(platform::user::ChooserStartFolder(step.asked), step.expected) << step.what;
  }
  platform::user::ForgetChooserFolders();
  setenv("HOME", previousHome.c_str(), 1);
}

}  // namespace
