// The previews against a recording clip player library and the test picture library: what the
// dialog asks of the player and when, what each failure leaves behind, and the thumbnail's
// pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "config/config_dialog.h"
#include "config/previews.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/headless/headless.h"
#include "resources/resource.h"
#include "tests/config/config_test_support.h"
#include "tests/config/ragui_recorder.h"

namespace config_test {
namespace {

using Calls = std::vector<std::string>;
using ragui_recorder::Recorded;

std::string Quoted(const std::string& text) {
  return '"' + text + '"';
}

// What setting up a player and handing it its first clip calls, on the n-th client and UI.
Calls SetUpCalls(int n, const std::string& clip) {
  const std::string handle = std::to_string(n);
  return {"RaguiProductVersion",
          "RaguiFormClientIdString 512 \"Tavrin Saver\" \"3.0\" \"EN\" \"DistCode\"",
          "RaguiSetupClient " + std::to_string(sizeof(ClipClientSetup)) +
              " \"recorded id\" \"Tavrin Saver\" \"Sample Application\" \"3.0\" \"Ragui Version "
              "1.35.69.1656\" \"Tavrin Screen Saver, by the Tavrin project\" "
              "\"http://www.real.com\" 1027",
          "RaguiNew " + handle,
          "RaguiSetConsoleName " + handle + " \"_unique\" 1",
          "RaguiSetControlsFlags " + handle + " 0x700",
          "RaguiSetNoLabels " + handle + " 0",
          "RaguiSetWindow " + handle + " 1027",
          "RaguiSetAutoStart " + handle + " 0",
          "RaguiSetSource " + handle + " " + Quoted(clip)};
}

// Takes the calls recorded so far.
Calls TakeCalls() {
  Calls calls;
  calls.swap(Recorded().calls);
  return calls;
}

class PreviewTest : public ConfigDialogTest {
 protected:
  void SetUp() override {
    ConfigDialogTest::SetUp();
    ragui_recorder::Reset();
  }
  std::string Clip(int index) const {
    return config_.Folder() + "/clip" + std::to_string(index) + ".ra";
  }
  // Two clips, "Sound Clips" ticked and "Preview" on: the player comes with the first tick.
  void StoreClipsWithPreview() {
    Store("ImagePreview", "1");
    Store("PlaySongs", "1");
    StoreClips(2);
  }
};

TEST_F(PreviewTest, PlayerIsSetUpAtTheFirstTickAndFollowsTheSelection) {
  StoreClipsWithPreview();
  RunDialog({Pass(49), [](HWND) { EXPECT_EQ(TakeCalls(), Calls{}); }, Pass(1),
             [this](HWND) {
               EXPECT_EQ(TakeCalls(), SetUpCalls(1, Clip(0)));
               EXPECT_EQ(Recorded().setup.size, sizeof(ClipClientSetup));
               EXPECT_EQ(Recorded().window, ConfigDialogState.ClipWindow.get());
             },
             Actions({"#1"}),
             [this](HWND) {
               // The same player takes the new clip.
               EXPECT_EQ(TakeCalls(), Calls{"RaguiSetSource 1 " + Quoted(Clip(1))});
               EXPECT_EQ(Recorded().liveInterfaces, 1);
               headless::ClickControl(IDCANCEL);
             }});
  EXPECT_EQ(TakeCalls(), (Calls{"RaguiDestroy 1", "RaguiShutdownClient 1"}));
  EXPECT_EQ(Recorded().liveClients, 0);
  EXPECT_EQ(ConfigDialogState.ClipWindow, nullptr);
}

TEST_F(PreviewTest, UntickingSoundClipsDestroysThePlayerAndTickingMakesANewOne) {
  StoreClipsWithPreview();
  RunDialog({Pass(50), [](HWND) { TakeCalls(); }, Actions({"SoundClips"}),
             [](HWND) {
               EXPECT_EQ(TakeCalls(), (Calls{"RaguiDestroy 1", "RaguiShutdownClient 1"}));
             },
             Actions({"SoundClips"}),
             [this](HWND) { EXPECT_EQ(TakeCalls(), SetUpCalls(2, Clip(0))); },
             // Each player has a window record of its own, freed with it (the sanitizers see
             // a thousand leaks or a use after free if not).
             [](HWND) {
               for (int i = 0; i < 1000; ++i) Act(nullptr, "SoundClips");
             },
             [](HWND) {
               EXPECT_EQ(Recorded().liveInterfaces, 1);
               EXPECT_EQ(Recorded().liveClients, 1);
               headless::ClickControl(IDOK);
             }});
  EXPECT_EQ(Recorded().liveInterfaces, 0);
  EXPECT_EQ(Recorded().liveClients, 0);
}

struct FailureCase {
  const char* failing;  // the call that returns 1
  const char* box;      // "caption|text", or "" for none
  std::size_t calls;    // how many set-up calls were made, up to the failing one
  bool loads;           // a UI object was made, so the first clip is handed to it
  Calls onLoad;         // what selecting another clip calls then
  Calls onClose;        // what closing the dialog calls
};

void PrintTo(const FailureCase& c, std::ostream* out) {
  *out << c.failing;
}

class SetUpFailureTest : public PreviewTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SetUpFailureTest, BoxThenOnlyWhatWasMadeIsUsed) {
  const FailureCase& c = GetParam();
  StoreClipsWithPreview();
  Recorded().results[c.failing] = 1;
  RunDialog({Pass(50),
             [&](HWND) {
               const Calls all = SetUpCalls(1, Clip(0));
               Calls expected(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(c.calls));
               if (c.loads) expected.push_back(all.back());
               Calls made = TakeCalls();
               // The identity refused is replaced, silently, and the set-up goes on.
               if (std::string(c.failing) == "RaguiFormClientIdString") {
                 EXPECT_EQ(Recorded().clientId, "Unknown ClientID String");
                 expected[2].replace(expected[2].find("recorded id"), 11,
                                     "Unknown ClientID String");
               }
               EXPECT_EQ(made, expected);
               std::string box;
               for (const auto& shown : headless::MessageBoxes()) {
                 EXPECT_EQ(shown.type, static_cast<UINT>(MB_OK));
                 box += shown.caption + "|" + shown.text;
               }
               EXPECT_EQ(box, c.box);
               EXPECT_TRUE(ConfigDialogState.ClipPreviewActive != FALSE);
             },
             Actions({"#1"}),
             [&](HWND) {
               Calls onLoad = c.onLoad;
               for (std::string& call : onLoad) {
                 if (call == "(source)") call = "RaguiSetSource 1 " + Quoted(Clip(1));
               }
               EXPECT_EQ(TakeCalls(), onLoad);
             },
             [](HWND) { headless::ClickControl(IDCANCEL); }});
  EXPECT_EQ(TakeCalls(), c.onClose);
  EXPECT_EQ(ConfigDialogState.ClipWindow, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Previews, SetUpFailureTest,
    ::testing::Values(
        FailureCase{"RaguiFormClientIdString",
                    "",
                    9,
                    true,
                    {"(source)"},
                    {"RaguiDestroy 1", "RaguiShutdownClient 1"}},
        FailureCase{"RaguiSetupClient", "OOPS|Error setting up client", 3, false, {}, {}},
        FailureCase{
            "RaguiNew", "OOPS!|Error during RaguiNew().", 4, false, {}, {"RaguiShutdownClient 1"}},
        FailureCase{"RaguiSetWindow",
                    "OOPS!|Error during RaguiSetWindow()",
                    8,
                    true,
                    {"(source)"},
                    {"RaguiDestroy 1", "RaguiShutdownClient 1"}}),
    [](const auto& param) { return std::string(param.param.failing); });

struct CallbackCase {
  RaguiCallback ClipClientSetup::*field;
  const char* scan;  // what the callback hands the status scan; "" for none
};

void PrintTo(const CallbackCase& c, std::ostream* out) {
  *out << (c.scan[0] != '\0' ? c.scan : "buffering");
}

class CallbackTest : public PreviewTest, public ::testing::WithParamInterface<CallbackCase> {};

TEST_P(CallbackTest, CallbackReturnsWhatTheStatusScanReturned) {
  const CallbackCase& c = GetParam();
  StoreClipsWithPreview();
  Recorded().results["RaguiStatusScan"] = 7;
  RunDialog({Pass(50), [&](HWND) {
               TakeCalls();
               const LONG result = (Recorded().setup.*c.field)("anything");
               const bool scans = c.scan[0] != '\0';
               EXPECT_EQ(result, scans ? 7 : 0);
               EXPECT_EQ(
                   TakeCalls(),
                   scans ? Calls{std::string("RaguiStatusScan 1 ") + Quoted(c.scan)} : Calls{});
             }});
}

INSTANTIATE_TEST_SUITE_P(
    Previews, CallbackTest,
    ::testing::Values(CallbackCase{&ClipClientSetup::goToUrl, "GoToURL Callback"},
                      CallbackCase{&ClipClientSetup::clipOpened, "ClipOpened Callback"},
                      CallbackCase{&ClipClientSetup::prefsChanged, "PrefsChanged Callback"},
                      CallbackCase{&ClipClientSetup::buffering, ""}));

TEST_F(PreviewTest, MissingClipIsToldAndThePlayerKeepsItsClip) {
  StoreClipsWithPreview();
  std::filesystem::remove(Clip(1));
  RunDialog({Pass(50), [](HWND) { TakeCalls(); }, Actions({"#1"}),
             [this](HWND) {
               EXPECT_EQ(TakeCalls(), Calls{});
               ASSERT_EQ(headless::MessageBoxes().size(), 1U);
               const auto& box = headless::MessageBoxes()[0];
               EXPECT_EQ(box.caption + "|" + box.text,
                         "Sound/Music clip does not exist|" + Clip(1));
               EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
             }});
}

// Every client pixel of the thumbnail against a nearest-pixel stretch of picture `seed`.
int ThumbnailMismatches(HWND thumbnail, int seed, int width, int height) {
  RECT client{};
  GetClientRect(thumbnail, &client);
  int mismatches = 0;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) {
      const int sx = static_cast<int>(std::floor((x + 0.5) * width / client.right));
      const int sy = static_cast<int>(std::floor((y + 0.5) * height / client.bottom));
      if (headless::WindowPixel(thumbnail, x, y) != saver_test::PicturePixel(seed, sx, sy)) {
        ++mismatches;
      }
    }
  }
  return mismatches;
}

struct ThumbnailCase {
  const char* what;
  int width;
  int height;
  std::size_t folderLength;  // 0: the test's folder
};

void PrintTo(const ThumbnailCase& c, std::ostream* out) {
  *out << c.what;
}

class ThumbnailTest : public PreviewTest, public ::testing::WithParamInterface<ThumbnailCase> {};

TEST_P(ThumbnailTest, PictureFillsTheWholeClientAreaDistorted) {
  const ThumbnailCase& c = GetParam();
  std::string folder;
  if (c.folderLength > 0) {
    // A path far longer than 128 characters is taken whole.
    folder = config_.Folder();
    while (folder.size() < c.folderLength) folder += "/" + std::string(60, 'f');
  }
  AddPicture(0, c.width, c.height, true, folder);
  SetPictureCount(1);
  Store("ImagePreview", "1");
  const platform::gdi::LiveObjects before = platform::gdi::CountLiveObjects();
  RunDialog({Pass(50), [&](HWND dialog) {
               HWND thumbnail = GetDlgItem(dialog, IDC_THUMBNAIL);
               RECT client{};
               GetClientRect(thumbnail, &client);
               EXPECT_GT(client.right, 100);
               EXPECT_EQ(ThumbnailMismatches(thumbnail, 1, c.width, c.height), 0);
               EXPECT_TRUE(headless::MessageBoxes().empty());
               EXPECT_EQ(platform::gdi::CountLiveObjects(), before);
             }});
}

INSTANTIATE_TEST_SUITE_P(Previews, ThumbnailTest,
                         ::testing::Values(ThumbnailCase{"Wide", 400, 30, 0},
                                           ThumbnailCase{"Tall", 20, 300, 0},
                                           ThumbnailCase{"Tiny", 2, 1, 0},
                                           ThumbnailCase{"LongPath", 90, 60, 300}),
                         [](const auto& param) { return std::string(param.param.what); });

TEST_F(PreviewTest, MissingPictureKeepsTheThumbnailAndUndecodableBlanksIt) {
  AddPicture(0, 40, 40);
  const std::string missing = AddPicture(1, 40, 40);
  std::filesystem::remove(missing);
  AddPicture(2, 40, 40, false);
  SetPictureCount(3);
  Store("ImagePreview", "1");
  RunDialog({Pass(50),
             [](HWND dialog) {
               HWND thumbnail = GetDlgItem(dialog, IDC_THUMBNAIL);
               EXPECT_EQ(ThumbnailMismatches(thumbnail, 1, 40, 40), 0);
               EXPECT_TRUE(headless::PickEntry(IDC_PICTURE_LIST, 1));
             },
             [&](HWND dialog) {
               ASSERT_EQ(headless::MessageBoxes().size(), 1U);
               const auto& box = headless::MessageBoxes()[0];
               EXPECT_EQ(box.caption + "|" + box.text, "File does not exist|" + missing);
               EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
               HWND thumbnail = GetDlgItem(dialog, IDC_THUMBNAIL);
               EXPECT_EQ(ThumbnailMismatches(thumbnail, 1, 40, 40), 0);
               EXPECT_TRUE(headless::PickEntry(IDC_PICTURE_LIST, 2));
             },
             [](HWND dialog) {
               HWND thumbnail = GetDlgItem(dialog, IDC_THUMBNAIL);
               RECT client{};
               GetClientRect(thumbnail, &client);
               for (int y = 0; y < client.bottom; ++y) {
                 for (int x = 0; x < client.right; ++x) {
                   ASSERT_EQ(headless::WindowPixel(thumbnail, x, y), 0x00F0F0F0U) << x << "," << y;
                 }
               }
             }});
}

}  // namespace
}  // namespace config_test
