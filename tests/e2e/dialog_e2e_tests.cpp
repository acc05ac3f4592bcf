// The configuration dialog of the real tavrin program on a real X server: it opens, shows
// every control, is driven from the keyboard alone, and stores what OK takes.
// GoogleTest and our headers come before Xlib, whose macros (None, Bool) break them.
#include <gtest/gtest.h>

#include "platform/dialog_template.h"
#include "platform/resources.h"
#include "platform/user/dialog_controls.h"
#include "resources/resource.h"
#include "settings/read_setting.h"
#include "settings/settings.h"
#include "tests/e2e/e2e_support.h"
#include "tests/platform/kernel/temp_config_home.h"
#include "tests/support/frame_lines.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr char kTitle[] = "Tavrin Screen Saver Configuration";
constexpr int kDialogWidthUnits = 468;
constexpr int kDialogHeightUnits = 309;
constexpr char kChooserTitle[] = "Tavrin Screen Saver - Select file to add";
constexpr char kAboutTitle[] = "About the Tavrin Screen Saver";
constexpr int kPictureBrowse = 1018;

std::string Setting(const char* name, const char* subKey = "Settings") {
  char text[SettingTextSize];
  ReadSetting(nullptr, subKey, name, text);
  return text;
}

const platform::DialogTemplate* SettingsTemplate() {
  const auto* resource =
      platform::FindResource(platform::ResourceType::Dialog, MAKEINTRESOURCE(2003));
  return resource != nullptr ? reinterpret_cast<const platform::DialogTemplate*>(resource->data)
                             : nullptr;
}

RECT UnitsOf(const platform::DialogItemTemplate& item) {
  return RECT{item.x, item.y, item.x + item.width, item.y + item.height};
}

// A control's place in dialog units, from the dialog template.
RECT TemplatePlace(int id) {
  const platform::DialogTemplate* dialog = SettingsTemplate();
  for (std::size_t i = 0; dialog != nullptr && i < dialog->itemCount; ++i) {
    if (dialog->items[i].id == id) return UnitsOf(dialog->items[i]);
  }
  return RECT{0, 0, 0, 0};
}

// How the settings dialog of a window `width` x `height` device pixels maps dialog units to
// them: the toolkit lays the dialog out in its own pixels, `scale` (QT_SCALE_FACTOR) times
// smaller, with the font's base units.
struct DialogMapping {
  double scale = 1.0;
  int baseX = 0;
  int baseY = 0;

  DialogMapping(int width, int height, double dialogScale) : scale(dialogScale) {
    const long logicalWidth = std::lround(width / scale);
    const long logicalHeight = std::lround(height / scale);
    baseX = static_cast<int>((logicalWidth * 4 + kDialogWidthUnits / 2) / kDialogWidthUnits);
    baseY = static_cast<int>((logicalHeight * 8 + kDialogHeightUnits / 2) / kDialogHeightUnits);
  }

  RECT Pixels(const RECT& units) const {
    const RECT logical = platform::DialogUnitsToPixels(units, baseX, baseY);
    auto device = [this](LONG value) { return static_cast<LONG>(std::lround(value * scale)); };
    return RECT{device(logical.left), device(logical.top), device(logical.right),
                device(logical.bottom)};
  }
  int FontHeight() const { return static_cast<int>(std::lround(baseY * scale)); }
};

// Sets an environment variable for the programs started while it lives.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) { setenv(name, value, 1); }
  ~ScopedEnvironment() { unsetenv(name_); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
};

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

  // Starts "tavrin /c" and waits for its window to be on screen.
  Window Map() {
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
    return mapped ? window : 0;
  }

  // Map, then gives the dialog the keyboard focus.
  Window Open() {
    const Window window = Map();
    if (window == 0) return 0;
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
        case '/':
          Key(XK_slash);
          break;
        default:
          Key(XStringToKeysym(std::string(1, c).c_str()));
      }
    }
  }

  // A window's rectangle on the screen.
  RECT ScreenRect(Window window) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(X(), window, &attributes) == 0) return RECT{0, 0, 0, 0};
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(X(), window, DefaultRootWindow(X()), 0, 0, &x, &y, &child);
    return RECT{x, y, x + attributes.width, y + attributes.height};
  }

  // A control's place on the screen, in pixels, in the dialog shown as `window` at `scale`.
  RECT ScreenPlace(Window window, int id, double scale = 1.0) {
    const RECT dialog = ScreenRect(window);
    const DialogMapping mapping(dialog.right - dialog.left, dialog.bottom - dialog.top, scale);
    const RECT place = mapping.Pixels(TemplatePlace(id));
    return RECT{dialog.left + place.left, dialog.top + place.top, dialog.left + place.right,
                dialog.top + place.bottom};
  }

  // The window's pixels as they are on the screen.
  tavrin_test::Picture Grab(Window window) {
    tavrin_test::Picture picture;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(X(), window, &attributes) == 0) return picture;
    XImage* image = XGetImage(X(), window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) return picture;
    picture.width = attributes.width;
    picture.height = attributes.height;
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        picture.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
      }
    }
    XDestroyImage(image);
    return picture;
  }

  // Escape on the About box shown as `about` closes it; the keyboard goes back to `dialog`.
  void EscapeAboutBox(Window about, Window dialog) {
    XSetInputFocus(X(), about, RevertToParent, CurrentTime);
    XSync(X(), False);
    std::this_thread::sleep_for(100ms);
    Key(XK_Escape);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::FindWindowByTitle(X(), kAboutTitle) == 0; }, 10s))
        << "Escape left the About box open";
    XSetInputFocus(X(), dialog, RevertToParent, CurrentTime);
    XSync(X(), False);
    std::this_thread::sleep_for(100ms);
  }

  void ClickAt(int x, int y) {
    XTestFakeMotionEvent(X(), DefaultScreen(X()), x, y, 0);
    XTestFakeButtonEvent(X(), 1, True, 0);
    XTestFakeButtonEvent(X(), 1, False, 0);
    XSync(X(), False);
  }

  // A mouse click in the middle of a control of the dialog shown as `window`.
  void ClickControl(Window window, int id, double scale = 1.0) {
    const RECT place = ScreenPlace(window, id, scale);
    ClickAt((place.left + place.right) / 2, (place.top + place.bottom) / 2);
  }

  // How many colours the screen shows inside a control (its frame left out).
  std::size_t ColoursIn(Window window, int id) {
    const RECT place = ScreenPlace(window, id);
    const int width = place.right - place.left - 6;
    const int height = place.bottom - place.top - 6;
    if (width <= 0 || height <= 0) return 0;
    XImage* image =
        XGetImage(X(), DefaultRootWindow(X()), place.left + 3, place.top + 3,
                  static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) return 0;
    std::set<std::uint64_t> colours;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) colours.insert(XGetPixel(image, x, y));
    }
    XDestroyImage(image);
    return colours.size();
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
  const auto before = e2e::StoreContents(config_.Registry());
  ASSERT_NE(Open(), 0U);
  Key(XK_Tab);
  Key(XK_space);
  Key(XK_Escape);
  EXPECT_EQ(Close(), 0);
  EXPECT_EQ(e2e::StoreContents(config_.Registry()), before);
}

// Each control's place on screen holds something drawn: the dialog shows every control of
// its template. The places follow from the window's size, which is the template's in the
// font's dialog units.
TEST_F(DialogEndToEnd, TheWindowShowsEveryControlOfTheTemplate) {
  WriteSetting(nullptr, "Settings", "ImagePreview", "1");  // the thumbnail area shows too
  const Window window = Open();
  ASSERT_NE(window, 0U);
  std::this_thread::sleep_for(300ms);
  const tavrin_test::Picture picture = Grab(window);
  ASSERT_GT(picture.width, 0);
  const DialogMapping mapping(picture.width, picture.height, 1.0);

  const platform::DialogTemplate* dialog = SettingsTemplate();
  ASSERT_NE(dialog, nullptr);
  std::vector<int> blank;
  for (std::size_t i = 0; i < dialog->itemCount; ++i) {
    const RECT place = mapping.Pixels(UnitsOf(dialog->items[i]));
    const std::uint32_t first = picture.At(place.left, place.top);
    bool drawn = false;
    for (int y = place.top; y < place.bottom && y < picture.height && !drawn; ++y) {
      for (int x = place.left; x < place.right && x < picture.width && !drawn; ++x) {
        drawn = picture.At(x, y) != first;
      }
    }
    if (!drawn) blank.push_back(static_cast<int>(i));
  }
  EXPECT_TRUE(blank.empty()) << "template rows drawn as nothing: "
                             << ::testing::PrintToString(blank);
  Key(XK_Escape);
  EXPECT_EQ(Close(), 0);
}

// A window wholly on the screen, in its middle (to the pixel, or a scaled pixel).
::testing::AssertionResult CentredOnScreen(const RECT& place, int screenWidth, int screenHeight,
                                           double scale) {
  const int width = place.right - place.left;
  const int height = place.bottom - place.top;
  const double slack = std::ceil(scale);
  if (place.left >= 0 && place.top >= 0 && place.right <= screenWidth &&
      place.bottom <= screenHeight && std::abs(place.left - (screenWidth - width) / 2.0) <= slack &&
      std::abs(place.top - (screenHeight - height) / 2.0) <= slack) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << width << " x " << height << " at " << place.left << ", " << place.top << " on a "
         << screenWidth << " x " << screenHeight << " screen";
}

// Under HiDPI scaling (QT_SCALE_FACTOR), as at scale 1: the dialog and its About box in the
// middle of the screen and wholly on it, and each group box's frame at its template rectangle
// with its title on the frame's top line.
TEST_F(DialogEndToEnd, AtEachScaleTheDialogIsCentredAndItsGroupFramesAreAtTheirRectangles) {
  const platform::DialogTemplate* dialog = SettingsTemplate();
  ASSERT_NE(dialog, nullptr);
  const int screenWidth = DisplayWidth(X(), DefaultScreen(X()));
  const int screenHeight = DisplayHeight(X(), DefaultScreen(X()));
  for (const char* scaleText : {"1", "1.5", "2"}) {
    SCOPED_TRACE(std::string("QT_SCALE_FACTOR=") + scaleText);
    const double scale = std::atof(scaleText);
    const ScopedEnvironment scaled("QT_SCALE_FACTOR", scaleText);
    const Window window = Map();
    ASSERT_NE(window, 0U);
    const RECT place = ScreenRect(window);
    EXPECT_TRUE(CentredOnScreen(place, screenWidth, screenHeight, scale));

    const DialogMapping mapping(place.right - place.left, place.bottom - place.top, scale);
    const int tolerance = static_cast<int>(std::ceil(scale));
    auto frameAt = [&](const tavrin_test::Picture& picture, const RECT& units) {
      const RECT frame = mapping.Pixels(units);
      // The dialog's face, where no control is.
      return tavrin_test::GroupFrameAt(picture, {frame.left, frame.top, frame.right, frame.bottom},
                                       mapping.FontHeight(), picture.At(2, 2), tolerance);
    };
    std::vector<RECT> groups;
    for (std::size_t i = 0; i < dialog->itemCount; ++i) {
      const platform::DialogItemTemplate& item = dialog->items[i];
      if (std::string(item.className) == "BUTTON" && (item.style & BS_TYPEMASK) == BS_GROUPBOX) {
        groups.push_back(UnitsOf(item));
      }
    }
    EXPECT_EQ(groups.size(), 5U);
    // Drawn once the toolkit has had its first paint.
    e2e::WaitUntil(
        [&] {
          const tavrin_test::Picture picture = Grab(window);
          for (const RECT& units : groups) {
            if (!frameAt(picture, units)) return false;
          }
          return true;
        },
        5s);
    const tavrin_test::Picture picture = Grab(window);
    for (const RECT& units : groups) {
      EXPECT_TRUE(frameAt(picture, units)) << "group box at " << units.left << ", " << units.top;
    }

    ClickControl(window, IDC_ABOUT_BUTTON, scale);
    Window about = 0;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] {
          about = e2e::FindWindowByTitle(X(), kAboutTitle);
          XWindowAttributes attributes{};
          return about != 0 && XGetWindowAttributes(X(), about, &attributes) != 0 &&
                 attributes.map_state == IsViewable;
        },
        10s))
        << "no About box";
    EXPECT_TRUE(CentredOnScreen(ScreenRect(about), screenWidth, screenHeight, scale))
        << "the About box";
    EscapeAboutBox(about, window);
    Key(XK_Escape);
    EXPECT_EQ(Close(), 0);
  }
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
  EXPECT_EQ(Close(), 128 + SIGTERM);
}

// "Browse ..." on an installation folder that is not there opens the user's pictures folder with
// no name typed in; asked again, the chooser opens where the user last chose a file.
TEST_F(DialogEndToEnd, BrowseOpensAFolderThatIsThereThenTheLastOneChosen) {
  const std::string home = config_.Folder();
  const char* savedHome = std::getenv("HOME");
  const std::string previousHome = savedHome != nullptr ? savedHome : "/";
  setenv("HOME", home.c_str(), 1);
  const std::string sample = std::string(TAVRIN_PICTURES_DIR) + "/sample-1-plasma-640x480.jpg";
  for (const char* copy : {"/Pictures/mine.jpg", "/Other/other.jpg", "/Other/second.jpg"}) {
    std::filesystem::create_directories(std::filesystem::path(home + copy).parent_path());
    std::filesystem::copy_file(sample, home + copy);
  }
  std::ofstream(home + "/user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n";
  // The parent is there: a chooser given the missing folder would open it instead.
  std::filesystem::create_directories(home + "/share");
  WriteSetting(nullptr, "Settings", "ScreenSaverPath", (home + "/share/tavrin").c_str());
  const Window window = Open();
  ASSERT_NE(window, 0U);
  for (const std::string& typed :
       {std::string("mine.jpg"), home + "/Other/other.jpg", std::string("second.jpg")}) {
    ClickControl(window, kPictureBrowse);
    ASSERT_TRUE(
        e2e::WaitUntil([&] { return e2e::FindWindowByTitle(X(), kChooserTitle) != 0; }, 10s))
        << "no chooser for " << typed;
    std::this_thread::sleep_for(500ms);  // the chooser lists its folder and takes the focus
    Type(typed);
    Key(XK_Return);
    ASSERT_TRUE(
        e2e::WaitUntil([&] { return e2e::FindWindowByTitle(X(), kChooserTitle) == 0; }, 10s))
        << typed << " was not found where the chooser opened";
    std::this_thread::sleep_for(300ms);
  }
  ClickControl(window, IDOK);
  EXPECT_EQ(Close(), 1);
  setenv("HOME", previousHome.c_str(), 1);
  EXPECT_EQ(Setting("P0", "The Gig"), home + "/Pictures/mine.jpg");
  EXPECT_EQ(Setting("P1", "The Gig"), home + "/Other/other.jpg");
  EXPECT_EQ(Setting("P2", "The Gig"), home + "/Other/second.jpg");
}

// Whether the raw 16-bit samples written so far hold any sound (not only silence).
bool SoundWritten(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::int16_t sample = 0;
  while (in.read(reinterpret_cast<char*>(&sample), sizeof sample)) {
    if (sample != 0) return true;
  }
  return false;
}

// With "Preview" on, the thumbnail and the clip player appear right after the dialog; the
// player stays silent until its play button is pressed, and then plays the clip; "About" opens
// the About box over the dialog and Escape closes it.
TEST_F(DialogEndToEnd, PreviewsAppearThePlayerPlaysOnPressAndAboutClosesWithEscape) {
  const std::string sound = config_.Folder() + "/sound.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", sound.c_str(), 1);
  WriteSetting(nullptr, "Settings", "ImagePreview", "1");
  WriteSetting(nullptr, "Settings", "PlaySongs", "1");
  WriteSetting(nullptr, "The Gig", "P0",
               (std::string(TAVRIN_PICTURES_DIR) + "/sample-1-plasma-640x480.jpg").c_str());
  WriteSetting(nullptr, "The Gig", "Images", "1");
  WriteSetting(nullptr, "The Gig", "S0", (std::string(TAVRIN_CLIPS_DIR) + "/chime.ra").c_str());
  WriteSetting(nullptr, "The Gig", "Songs", "1");
  const Window window = Map();
  ASSERT_NE(window, 0U);
  const auto mapped = std::chrono::steady_clock::now();
  // A plasma picture has hundreds of colours; a player shows text, icons and a slider.
  ASSERT_TRUE(e2e::WaitUntil(
      [&] {
        return ColoursIn(window, IDC_THUMBNAIL) > 50 && ColoursIn(window, IDC_CLIP_PLAYER) > 4;
      },
      10s))
      << "the previews did not appear";
  const auto shown = std::chrono::steady_clock::now();
  std::printf("previews on screen %lld ms after the dialog (the test looks every few ms)\n",
              static_cast<long long>(
                  std::chrono::duration_cast<std::chrono::milliseconds>(shown - mapped).count()));
  std::this_thread::sleep_for(300ms);
  EXPECT_FALSE(SoundWritten(sound)) << "the player started by itself";

  // Play is the first button of the player's lowest row: look for it from the bottom up along
  // the player's left edge until a press makes sound.
  const RECT player = ScreenPlace(window, IDC_CLIP_PLAYER);
  bool playing = false;
  for (int y = player.bottom - 8; y > (player.top + player.bottom) / 2 && !playing; y -= 6) {
    ClickAt(player.left + 16, y);
    playing = e2e::WaitUntil([&] { return SoundWritten(sound); }, 400ms);
  }
  EXPECT_TRUE(playing) << "pressing play wrote no sound";

  ClickControl(window, IDC_ABOUT_BUTTON);
  Window about = 0;
  ASSERT_TRUE(
      e2e::WaitUntil([&] { return (about = e2e::FindWindowByTitle(X(), kAboutTitle)) != 0; }, 10s))
      << "no About box";
  std::this_thread::sleep_for(300ms);
  EscapeAboutBox(about, window);
  EXPECT_FALSE(e2e::WaitForExit(dialog_, 200ms)) << "the dialog closed with the About box";
  Key(XK_Escape);
  EXPECT_EQ(Close(), 0);
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");
}

}  // namespace
