// The configuration dialog on the headless backend: a fresh store, the dialog run with a list
// of user steps, every value it writes, the preview calls it makes, and readers for its
// controls.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/saver/saver_test_support.h"

namespace config_test {

// One thing the user does (or looks at) while the dialog waits for input.
using Step = std::function<void(HWND dialog)>;
// A step in which time passes: the timers that fall due fire before the next step. (A dialog
// loop whose driver goes on never moves the virtual clock by itself.)
Step Pass(DWORD milliseconds);

// A user's action by name: a direction label ("Left"), a box or button ("RandomEffects",
// "RandomImages", "SoundClips", "RandomSoundClips", "Preview"), an effect to pick ("=Wipe"),
// or a sound-clip entry to pick ("#1").
void Act(HWND dialog, const std::string& action);
// A step doing these actions in turn.
Step Actions(std::vector<std::string> actions);

struct TimerEvent {
  bool set;  // false: killed
  UINT_PTR id;
  UINT elapse;
  bool operator==(const TimerEvent&) const = default;
};

class ConfigDialogTest : public saver_test::SaverTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  void Store(const char* name, const std::string& value) { Set("Settings", name, value); }
  // Sound-clip entries S0 .. S<count - 1> and "Songs".
  void StoreClips(int count);
  // Playlist entries "<letter>0", ... under "The Gig" (an empty text is stored as an empty
  // value), and the count value ("Images" or "Songs") as `count`.
  void StorePlaylist(char letter, const std::vector<std::string>& paths, int count);
  // Opens dialog 2003 and runs one step each time it waits for the user; DialogBoxParam's
  // result (-1 when the steps ran out with the dialog still open). Writes and timers are
  // recorded from the opening on.
  INT_PTR RunDialog(std::vector<Step> steps);

  // The last value written under "Settings", or "(none)".
  std::string Written(const std::string& name) const;
  // Every value written, as "Key/Name=value", oldest first.
  const std::vector<std::string>& Writes() const { return writes_; }

  std::vector<std::string> writes_;
  std::vector<TimerEvent> timers_;
  std::vector<std::string> choosers_;  // "folder|title|flags in hex|default extension"
};

// A user's "Browse ..." on the list's editor, the chooser answering with `paths` (none: the
// user cancels it).
Step Browse(int list, std::vector<std::string> paths);
// The text of every message box shown so far.
std::vector<std::string> BoxTexts();

// What the previews were asked to do, oldest first ("CreateClipPreview", ...), joined by
// spaces; the test program's previews only record.
std::string& PreviewCalls();

bool Checked(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
bool Visible(HWND dialog, int id);
std::string Text(HWND dialog, int id);
std::string ComboSelection(HWND dialog);
std::vector<std::string> ListEntries(HWND dialog, int id);
// Controls by name, in a fixed order, joined by spaces: the checked direction buttons, the
// enabled direction buttons, the five checked setting boxes, the disabled controls among those
// that opening, the boxes and the effect change switch (the direction buttons aside), and the
// three fields' texts.
std::string CheckedDirections(HWND dialog);
std::string EnabledDirections(HWND dialog);
std::string CheckedBoxes(HWND dialog);
std::string DisabledControls(HWND dialog);
std::string Fields(HWND dialog);

}  // namespace config_test
