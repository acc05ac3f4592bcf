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

#include <X11/XKBlib.h>
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
constexpr char kChooserTitle[] = "Tavrin Screen Saver - Select file to add";
constexpr int kPictureBrowse = 1018;

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

std::string Setting(const char* name, const char* subKey = "Settings") {
  char text[SettingTextSize];
  ReadSetting(nullptr, subKey, name, text);
  return text;
}

// A control's place in dialog units, from the dialog template.
RECT TemplatePlace(int id) {
  const auto* resource =
      platform::FindResource(platform::ResourceType::Dialog, MAKEINTRESOURCE(2003));
  if (resource == nullptr) return RECT{0, 0, 0, 0};
  const auto* dialog = reinterpret_cast<const platform::DialogTemplate*>(resource->data);
  for (std::size_t i = 0; i < dialog->itemCount; ++i) {
    const platform::DialogItemTemplate& item = dialog->items[i];
    if (item.id == id) return RECT{item.x, item.y, item.x + item.width, item.y + item.height};
  }
  return RECT{0, 0, 0, 0};
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
    // A symbol that is not the key's first one is typed with Shift, as '"' is.
    const bool shift = XkbKeycodeToKeysym(X(), key, 0, 0) != symbol;
    const KeyCode shiftKey = XKeysymToKeycode(X(), XK_Shift_L);
    if (shift) XTestFakeKeyEvent(X(), shiftKey, True, 0);
    XTestFakeKeyEvent(X(), key, True, 0);
    XTestFakeKeyEvent(X(), key, False, 0);
    if (shift) XTestFakeKeyEvent(X(), shiftKey, False, 0);
    XSync(X(), False);
    std::this_thread::sleep_for(60ms);  // one key at a time, as a person types
  }

  void Type(const std::string& text) {
    for (const char c : text) {
      switch (c) {
        case ' ':
          Key(XK_space);
          break;
        case '"':
          Key(XK_quotedbl);
          break;
        case '-':
          Key(XK_minus);
          break;
        case '.':
          Key(XK_period);
          break;
        default:
          Key(XStringToKeysym(std::string(1, c).c_str()));
      }
    }
  }

  // A mouse click in the middle of a control of the dialog shown as `window`.
  void ClickControl(Window window, int id) {
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(X(), window, &attributes), 0);
    const int baseX = (attributes.width * 4 + kDialogWidthUnits / 2) / kDialogWidthUnits;
    const int baseY = (attributes.height * 8 + kDialogHeightUnits / 2) / kDialogHeightUnits;
    const RECT place = platform::DialogUnitsToPixels(TemplatePlace(id), baseX, baseY);
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(X(), window, DefaultRootWindow(X()), (place.left + place.right) / 2,
                          (place.top + place.bottom) / 2, &x, &y, &child);
    XTestFakeMotionEvent(X(), DefaultScreen(X()), x, y, 0);
    XTestFakeButtonEvent(X(), 1, True, 0);
    XTestFakeButtonEvent(X(), 1, False, 0);
    XSync(X(), False);
  }

  // Whether any pixel of the screen's rectangle is not black.
  bool AnythingDrawn(int x, int y, int width, int height) {
    return e2e::AnythingDrawn(X(), DefaultRootWindow(X()), x, y, width, height);
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

// "Browse ..." opens the chooser in the install folder, here the sample pictures; two of them
// typed into its name field are appended, OK stores them after what was stored, and the show
// then brings them in turn.
TEST_F(DialogEndToEnd, BrowseAddsChosenPicturesThatOkStoresAndTheShowShows) {
  const std::string samples = TAVRIN_PICTURES_DIR;
  WriteSetting(nullptr, "Settings", "ScreenSaverPath", samples.c_str());
  WriteSetting(nullptr, "Settings", "EffectDelay", "1");
  WriteSetting(nullptr, "The Gig", "Images", "1");
  const Window window = Open();
  ASSERT_NE(window, 0U);
  ClickControl(window, kPictureBrowse);
  Window chooser = 0;
  ASSERT_TRUE(e2e::WaitUntil(
      [&] { return (chooser = e2e::FindWindowByTitle(X(), kChooserTitle)) != 0; }, 10s))
      << "no chooser titled \"" << kChooserTitle << "\"";
  std::this_thread::sleep_for(500ms);  // the chooser lists its folder and takes the focus
  // The first filter (JPEG) is preselected: both names are there to be typed.
  Type("\"sample-1-plasma-640x480.jpg\" \"sample-9-clouds-2560x1600.jpg\"");
  Key(XK_Return);
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::FindWindowByTitle(X(), kChooserTitle) == 0; }, 10s))
      << "the chooser stayed open";
  std::this_thread::sleep_for(300ms);
  // "Browse ..." keeps the focus, so Enter would open the chooser again, as on Windows.
  ClickControl(window, IDOK);
  EXPECT_EQ(Close(), 1);
  EXPECT_EQ(Setting("P0", "The Gig"), samples + "/sample-1-plasma-640x480.jpg");
  EXPECT_EQ(Setting("P1", "The Gig"), samples + "/sample-9-clouds-2560x1600.jpg");
  EXPECT_EQ(Setting("Images", "The Gig"), "2");

  const int width = DisplayWidth(X(), DefaultScreen(X()));
  const int height = DisplayHeight(X(), DefaultScreen(X()));
  dialog_ = e2e::StartProgram(TAVRIN_PROGRAM, {"/s"});
  // The 640 x 480 picture first, centred on black; then the larger one over the whole screen.
  const int left = (width - 640) / 2;
  const int top = (height - 480) / 2;
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return AnythingDrawn(left, top, 16, 16) && !AnythingDrawn(0, 0, left - 1, 16); }, 20s))
      << "the first picture did not show";
  EXPECT_TRUE(e2e::WaitUntil([&] { return AnythingDrawn(0, 0, 16, 16); }, 20s))
      << "the second picture did not show";
  kill(dialog_, SIGTERM);
  EXPECT_EQ(Close(), 0);
}

}  // namespace
