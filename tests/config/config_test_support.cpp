#include "tests/config/config_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

#include "config/config_dialog.h"
#include "platform/headless/headless.h"
#include "platform/kernel/registry_store.h"
#include "platform/user/chooser_folder.h"
#include "platform/user/dialog_controls.h"
#include "resources/resource.h"
#include "saver/picture_library.h"
#include "saver/screen_saver.h"

namespace config_test {
namespace {

struct NamedControl {
  const char* name;
  int id;
};

constexpr NamedControl DirectionButtons[] = {
    {"Left", IDC_DIR_LEFT},
    {"Right", IDC_DIR_RIGHT},
    {"Up", IDC_DIR_UP},
    {"Down", IDC_DIR_DOWN},
    {"Horizontal", IDC_DIR_HORIZONTAL},
    {"Vertical", IDC_DIR_VERTICAL},
    {"In", IDC_DIR_IN},
    {"Out", IDC_DIR_OUT},
    {"None", IDC_DIR_NONE},
};
constexpr NamedControl Boxes[] = {
    {"RandomImages", IDC_RANDOM_IMAGES},
    {"RandomEffects", IDC_RANDOM_EFFECTS},
    {"SoundClips", IDC_SOUND_CLIPS},
    {"RandomSoundClips", IDC_RANDOM_SOUND_CLIPS},
    {"Preview", IDC_PREVIEW},
};
constexpr NamedControl Switched[] = {
    {"Effect", IDC_EFFECT},
    {"GrainSize", IDC_GRAIN_SIZE},
    {"SoundClips", IDC_SOUND_CLIPS},
    {"RandomSoundClips", IDC_RANDOM_SOUND_CLIPS},
    {"PictureOrder", IDC_PICTURE_ORDER},
    {"ClipList", IDC_CLIP_LIST},
    {"ClipOrder", IDC_CLIP_ORDER},
    {"ClipBrowse", IDC_CLIP_BROWSE},
    {"ClipRemove", IDC_CLIP_REMOVE},
};

template <typename Test, std::size_t N>
std::string Names(const NamedControl (&controls)[N], Test test) {
  std::string names;
  for (const NamedControl& control : controls) {
    if (!test(control.id)) continue;
    if (!names.empty()) names += ' ';
    names += control.name;
  }
  return names;
}

template <std::size_t N>
int IdOf(const NamedControl (&controls)[N], const std::string& name) {
  for (const NamedControl& control : controls) {
    if (name == control.name) return control.id;
  }
  return 0;
}

}  // namespace

std::string& PreviewCalls() {
  static std::string calls;
  return calls;
}

void Act(HWND dialog, const std::string& action) {
  if (action.starts_with("=")) {
    EXPECT_TRUE(headless::PickEntryText(IDC_EFFECT, action.substr(1))) << action;
  } else if (action.starts_with("#")) {
    EXPECT_TRUE(headless::PickEntry(IDC_CLIP_LIST, std::stoi(action.substr(1)))) << action;
  } else {
    int id = IdOf(DirectionButtons, action);
    if (id == 0) id = IdOf(Boxes, action);
    ASSERT_NE(id, 0) << "no control named " << action;
    EXPECT_TRUE(headless::ClickControl(id)) << action;
  }
  (void)dialog;
}

Step Actions(std::vector<std::string> actions) {
  return [actions = std::move(actions)](HWND dialog) {
    for (const std::string& action : actions) Act(dialog, action);
  };
}

Step Browse(int list, std::vector<std::string> paths) {
  return [list, paths = std::move(paths)](HWND) {
    if (paths.empty()) {
      headless::CancelNextChooser();
    } else {
      headless::ChooseNextFiles(paths);
    }
    EXPECT_TRUE(
        headless::ClickControl(list == IDC_PICTURE_LIST ? IDC_PICTURE_BROWSE : IDC_CLIP_BROWSE));
  };
}

std::vector<std::string> BoxTexts() {
  std::vector<std::string> texts;
  for (const headless::MessageBoxRecord& box : headless::MessageBoxes()) texts.push_back(box.text);
  return texts;
}

Step Pass(DWORD milliseconds) {
  return [milliseconds](HWND) { headless::AdvanceClock(milliseconds); };
}

void ConfigDialogTest::SetUp() {
  SaverTest::SetUp();
  // Each test is a program just started: no chooser asked or answered before.
  platform::user::ForgetChooserFolders();
  ConfigDialogState = ConfigDialogStateRecord{};
  PreviewCalls().clear();
}

void ConfigDialogTest::TearDown() {
  headless::SetDialogDriver({});
  headless::SetObserver({});
  platform::registry::SetWriteObserver({});
  ReleasePictureLibrary();
  SaverTest::TearDown();
}

void ConfigDialogTest::StoreClips(int count) {
  for (int i = 0; i < count; ++i) {
    const std::string path = config_.Folder() + "/clip" + std::to_string(i) + ".ra";
    std::ofstream(path) << "a clip";
    Set("The Gig", ("S" + std::to_string(i)).c_str(), path);
  }
  Set("The Gig", "Songs", std::to_string(count));
}

void ConfigDialogTest::StorePlaylist(char letter, const std::vector<std::string>& paths,
                                     int count) {
  for (std::size_t i = 0; i < paths.size(); ++i) {
    Set("The Gig", (letter + std::to_string(i)).c_str(), paths[i]);
  }
  Set("The Gig", letter == 'P' ? "Images" : "Songs", std::to_string(count));
}

INT_PTR ConfigDialogTest::RunDialog(std::vector<Step> steps) {
  writes_.clear();
  timers_.clear();
  choosers_.clear();
  platform::registry::SetWriteObserver(
      [this](const std::string& folder, std::string_view name, std::string_view bytes) {
        const std::string key = std::filesystem::path(folder).filename().string();
        writes_.push_back(key + "/" + std::string(name) + "=" + std::string(bytes));
      });
  headless::Observer observer;
  observer.timerSet = [this](HWND, UINT_PTR id, UINT elapse) {
    timers_.push_back({true, id, elapse});
  };
  observer.timerKilled = [this](HWND, UINT_PTR id) { timers_.push_back({false, id, 0}); };
  observer.chooser = [this](const std::string& folder, const std::string& title, DWORD flags,
                            const std::string& extension) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", flags);
    choosers_.push_back(folder + "|" + title + "|" + hex + "|" + extension);
  };
  headless::SetObserver(observer);

  std::size_t next = 0;
  headless::SetDialogDriver([&steps, &next] {
    if (next >= steps.size()) return false;
    HWND dialog = platform::TopDialog();
    EXPECT_NE(dialog, nullptr) << "step " << next;
    if (dialog == nullptr) return false;
    steps[next++](dialog);
    return true;
  });
  const INT_PTR result = DialogBoxParam(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDD_CONFIGURE),
                                        nullptr, ScreenSaverConfigureDialog, 0);
  headless::SetDialogDriver({});
  EXPECT_EQ(next, steps.size()) << "the dialog closed before every step ran";
  return result;
}

std::string ConfigDialogTest::Written(const std::string& name) const {
  const std::string prefix = "Settings/" + name + "=";
  std::string value = "(none)";
  for (const std::string& write : writes_) {
    if (write.starts_with(prefix)) value = write.substr(prefix.size());
  }
  return value;
}

bool Checked(HWND dialog, int id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

bool Enabled(HWND dialog, int id) {
  return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool Visible(HWND dialog, int id) {
  return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE;
}

std::string Text(HWND dialog, int id) {
  char text[256] = {};
  GetDlgItemText(dialog, id, text, sizeof text);
  return text;
}

std::string ComboSelection(HWND dialog) {
  const LRESULT selected = SendDlgItemMessage(dialog, IDC_EFFECT, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return "(none)";
  char text[256] = {};
  SendDlgItemMessage(dialog, IDC_EFFECT, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text));
  return text;
}

std::vector<std::string> ListEntries(HWND dialog, int id) {
  std::vector<std::string> entries;
  const LRESULT count = SendDlgItemMessage(dialog, id, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::string text(
        static_cast<std::size_t>(SendDlgItemMessage(dialog, id, LB_GETTEXTLEN, i, 0)) + 1, '\0');
    SendDlgItemMessage(dialog, id, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(text.size() - 1);
    entries.push_back(text);
  }
  return entries;
}

std::string CheckedDirections(HWND dialog) {
  return Names(DirectionButtons, [dialog](int id) { return Checked(dialog, id); });
}

std::string EnabledDirections(HWND dialog) {
  return Names(DirectionButtons, [dialog](int id) { return Enabled(dialog, id); });
}

std::string CheckedBoxes(HWND dialog) {
  return Names(Boxes, [dialog](int id) { return Checked(dialog, id); });
}

std::string DisabledControls(HWND dialog) {
  return Names(Switched, [dialog](int id) { return !Enabled(dialog, id); });
}

std::string Fields(HWND dialog) {
  return Text(dialog, IDC_GRAIN_SIZE) + " " + Text(dialog, IDC_DELAY_FACTOR) + " " +
         Text(dialog, IDC_DELAY);
}

}  // namespace config_test
