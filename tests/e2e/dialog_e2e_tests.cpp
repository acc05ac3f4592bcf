// The configuration dialog of the real tavrin program on a real X server: it opens, shows
// every control, is driven from the keyboard alone, and stores what OK takes.
// GoogleTest and our headers come before Xlib, whose macros (None, Bool) break them.
#include <gtest/gtest.h>

#include "platform/dialog_template.h"
#include "platform/resources.h"
#include "platform/user/dialog_controls.h"
#include "settings/read_setting.h"
#include "settings/settings.h"
#include "tests/e2e/e2e_support.h"
#include "tests/platform/kernel/temp_config_home.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr char kTitle[] = "Tavrin Screen Saver Configuration";
constexpr int kDialogWidthUnits = 468;
constexpr int kDialogHeightUnits = 309;

// Every value of the store, by "subkey/name".
std::map<std::string, std::string> StoreContents(const std::string& registry) {
  std::map<std::string, std::string> values;
  if (!std::filesystem::exists(registry)) return values;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(registry)) {
    if (!entry.is_regular_file()) continue;
    std::string bytes(static_cast<std::size_t>(entry.file_size()), '\0');
    if (FILE* file = std::fopen(entry.path().c_str(), "rb")) {
      bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
      std::fclose(file);
    }
    values[std::filesystem::relative(entry.path(), registry).string()] = bytes;
  }
  return values;
}

std::string Setting(const char* name) {
  char text[SettingTextSize];
  ReadSetting(nullptr, "Settings", name, text);
  return text;
}

class DialogEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    display_.reset(XOpenDisplay(nullptr));
    ASSERT_NE(display_, nullptr) << "no X display";
  }
  void TearDown() override {
    if (dialog_ > 0 && !e2e::WaitForExit(dialog_, 0ms)) {
      kill(dialog_, SIGKILL);
      waitpid(dialog_, nullptr, 0);
    }
  }

  Display* X() { return display_.get(); }

  // Starts "tavrin /c" and waits for its window; gives it the keyboard focus.
  Window Open() {
    dialog_ = e2e::StartProgram(TAVRIN_PROGRAM, {"/c"});
    Window window = 0;
    const bool mapped = e2e::WaitUntil(
        [&] {
          window = e2e::FindWindowByTitle(X(), kTitle);
          XWindowAttributes attributes{};
          return window != 0 && XGetWindowAttributes(X(), window, &attributes) != 0 &&
                 attributes.map_state == IsViewable;
        },
        10s);
    EXPECT_TRUE(mapped) << "no window titled \"" << kTitle << "\"";
    if (!mapped) return 0;
    XSetInputFocus(X(), window, RevertToParent, CurrentTime);
    XSync(X(), False);
    std::this_thread::sleep_for(200ms);  // the toolkit takes the focus in to its first control
    return window;
  }

  int Close(std::chrono::milliseconds limit = 10s) {
    const auto code = e2e::WaitForExit(dialog_, limit);
    if (code) dialog_ = 0;
    return code.value_or(-999);
  }

  void Key(KeySym symbol) {
    const KeyCode key = XKeysymToKeycode(X(), symbol);
    XTestFakeKeyEvent(X(), key, True, 0);
    XTestFakeKeyEvent(X(), key, False, 0);
    XSync(X(), False);
    std::this_thread::sleep_for(60ms);  // one key at a time, as a person types
  }

  TempConfigHome config_;
  e2e::DisplayPtr display_;
  pid_t dialog_ = 0;
};

TEST_F(DialogEndToEnd, KeyboardAloneChangesSettingsAndOkStoresThem) {
  const Window window = Open();
  ASSERT_NE(window, 0U);
  // From the effect list: Tab to "None", Tab to "Random Images" and tick it, then Tab past
  // "Random Effects" (the sound boxes are off without clips) into the grain size and type 7.
  Key(XK_Tab);
  Key(XK_Tab);
  Key(XK_space);
  Key(XK_Tab);
  Key(XK_Tab);
  Key(XK_7);
  Key(XK_Return);
  EXPECT_EQ(Close(), 1);
  EXPECT_EQ(Setting("RandomImages"), "1");
  EXPECT_EQ(Setting("GrainSize"), "7");
  EXPECT_EQ(Setting("RandomEffects"), "0");
}

TEST_F(DialogEndToEnd, EscapeWritesNothing) {
  WriteSetting(nullptr, "Settings", "Effect", "11");
  const auto before = StoreContents(config_.Registry());
  ASSERT_NE(Open(), 0U);
  Key(XK_Tab);
  Key(XK_space);
  Key(XK_Escape);
  EXPECT_EQ(Close(), 0);
  EXPECT_EQ(StoreContents(config_.Registry()), before);
}

// Each control's place on screen holds something drawn: the dialog shows every control of
// its template. The places follow from the window's size, which is the template's in the
// font's dialog units.
TEST_F(DialogEndToEnd, TheWindowShowsEveryControlOfTheTemplate) {
  WriteSetting(nullptr, "Settings", "ImagePreview", "1");  // the thumbnail area shows too
  const Window window = Open();
  ASSERT_NE(window, 0U);
  std::this_thread::sleep_for(300ms);
  XWindowAttributes attributes{};
  ASSERT_NE(XGetWindowAttributes(X(), window, &attributes), 0);
  const int baseX = (attributes.width * 4 + kDialogWidthUnits / 2) / kDialogWidthUnits;
  const int baseY = (attributes.height * 8 + kDialogHeightUnits / 2) / kDialogHeightUnits;
  XImage* image = XGetImage(X(), window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);

  const auto* resource =
      platform::FindResource(platform::ResourceType::Dialog, MAKEINTRESOURCE(2003));
  ASSERT_NE(resource, nullptr);
  const auto* dialog = reinterpret_cast<const platform::DialogTemplate*>(resource->data);
  std::vector<int> blank;
  for (std::size_t i = 0; i < dialog->itemCount; ++i) {
    const platform::DialogItemTemplate& item = dialog->items[i];
    const RECT place = platform::DialogUnitsToPixels(
        RECT{item.x, item.y, item.x + item.width, item.y + item.height}, baseX, baseY);
    const std::uint64_t first = XGetPixel(image, place.left, place.top);
    bool drawn = false;
    for (int y = place.top; y < place.bottom && y < attributes.height && !drawn; ++y) {
      for (int x = place.left; x < place.right && x < attributes.width && !drawn; ++x) {
        drawn = XGetPixel(image, x, y) != first;
      }
    }
    if (!drawn) blank.push_back(static_cast<int>(i));
  }
  XDestroyImage(image);
  EXPECT_TRUE(blank.empty()) << "template rows drawn as nothing: "
                             << ::testing::PrintToString(blank);
  Key(XK_Escape);
  EXPECT_EQ(Close(), 0);
}

}  // namespace
