// The calls themselves, on the plain headless backend where the player has no widgets: their
// failures, their reports, the callbacks, and the unseen player that still plays.
#include <gtest/gtest.h>
#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "libs/raengine/clip_decoder.h"
#include "libs/raengine/engine_probe.h"
#include "libs/raui/call_text.h"
#include "libs/raui/player_probe.h"
#include "platform/headless/headless.h"
#include "tests/libs/raui/player_test_support.h"
#include "tests/support/sound_output.h"

namespace {

using raui_test::ClipPath;

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// Until a playing clip has ended (and the player is back at its start); 20 s at most.
void WaitUntilStopped(DWORD ui) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (raui::ProbePlayer(ui)->state != raui::PlayState::Stopped &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// A headless backend without the Qt view, and a window with a child 1027 for the player.
class UnseenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::Install(640, 480);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PlainProc;
    windowClass.lpszClassName = "RauiHost";
    RegisterClassA(&windowClass);
    parent_ = CreateWindowExA(0, "RauiHost", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                              nullptr, nullptr);
    record_.window =
        CreateWindowExA(0, "RauiHost", "", WS_CHILD, 10, 10, 312, 146, parent_,
                        // NOLINTNEXTLINE(performance-no-int-to-ptr): a child's id goes in hMenu.
                        reinterpret_cast<HMENU>(raui_test::kPlayerArea), nullptr, nullptr);
    ASSERT_NE(record_.window, nullptr);
    threadsBefore_ = test_support::ThreadCount();
    raui_test::OpenedCalls().clear();
  }

  void TearDown() override {
    raui::ObserveCalls(nullptr);
    raui_test::ScanFromCallbacks(0);
  }

  test_support::DiskSoundOutput sound_;
  HWND parent_ = nullptr;
  ClipWindowRecord record_{};
  std::size_t threadsBefore_ = 0;
};

TEST_F(UnseenTest, EachFailureHasItsCode) {
  const raui_test::PlayerObjects alive = raui_test::MakePlayer(&record_);
  raui_test::PlayerObjects gone = raui_test::MakePlayer(&record_);
  raui_test::EndPlayer(gone);
  EXPECT_GT(alive.ui, 0u);
  EXPECT_GT(gone.ui, alive.ui) << "handles count up";
  EXPECT_GT(gone.client, alive.client);

  ClipClientSetup small = raui_test::DialogSetup(&record_);
  small.size = sizeof(ClipClientSetup) - 1;
  const ClipClientSetup good = raui_test::DialogSetup(&record_);
  HWND destroyed =
      CreateWindowExA(0, "RauiHost", "", WS_CHILD, 0, 0, 5, 5, parent_, nullptr, nullptr, nullptr);
  DestroyWindow(destroyed);
  ClipWindowRecord noWindow{};
  ClipWindowRecord deadWindow{destroyed, {}};
  DWORD out = 0;
  struct Case {
    const char* what;
    std::function<LONG()> call;
    LONG expected;
  };
  const DWORD ui = alive.ui;
  const std::vector<Case> cases{
      {"setup without record", [&] { return RaguiSetupClient(nullptr, &out); },
       RAGUI_E_INVALID_ARGUMENT},
      {"setup without handle cell", [&] { return RaguiSetupClient(&good, nullptr); },
       RAGUI_E_INVALID_ARGUMENT},
      {"setup too small", [&] { return RaguiSetupClient(&small, &out); }, RAGUI_E_INVALID_ARGUMENT},
      {"new on no client", [&] { return RaguiNew(0, &out); }, RAGUI_E_BAD_CLIENT},
      {"new on an ended client", [&] { return RaguiNew(gone.client, &out); }, RAGUI_E_BAD_CLIENT},
      {"new without handle cell", [&] { return RaguiNew(alive.client, nullptr); },
       RAGUI_E_INVALID_ARGUMENT},
      {"name", [&] { return RaguiSetConsoleName(gone.ui, "x", 0); }, RAGUI_E_BAD_UI},
      {"null name", [&] { return RaguiSetConsoleName(ui, nullptr, 0); }, RAGUI_E_INVALID_ARGUMENT},
      {"flags", [&] { return RaguiSetControlsFlags(gone.ui, 0x700); }, RAGUI_E_BAD_UI},
      {"labels", [&] { return RaguiSetNoLabels(0, 0); }, RAGUI_E_BAD_UI},
      {"window", [&] { return RaguiSetWindow(gone.ui, &record_); }, RAGUI_E_BAD_UI},
      {"null record", [&] { return RaguiSetWindow(ui, nullptr); }, RAGUI_E_NO_WINDOW},
      {"no window", [&] { return RaguiSetWindow(ui, &noWindow); }, RAGUI_E_NO_WINDOW},
      {"destroyed window", [&] { return RaguiSetWindow(ui, &deadWindow); }, RAGUI_E_NO_WINDOW},
      {"autostart", [&] { return RaguiSetAutoStart(gone.ui, 1); }, RAGUI_E_BAD_UI},
      {"source", [&] { return RaguiSetSource(gone.ui, ClipPath("chime.ra").c_str()); },
       RAGUI_E_BAD_UI},
      {"null source", [&] { return RaguiSetSource(ui, nullptr); }, RAGUI_E_INVALID_ARGUMENT},
      {"scan", [&] { return RaguiStatusScan(gone.ui, "x"); }, RAGUI_E_BAD_UI},
      {"destroy twice", [&] { return RaguiDestroy(gone.ui); }, RAGUI_E_BAD_UI},
      {"shutdown twice", [&] { return RaguiShutdownClient(gone.client); }, RAGUI_E_BAD_CLIENT},
  };
  for (const Case& each : cases) EXPECT_EQ(each.call(), each.expected) << each.what;
  raui_test::EndPlayer(alive);
}

TEST_F(UnseenTest, TheClientIdIsFormedOrCutButAlwaysEnded) {
  struct Case {
    LONG size;
    LONG expected;
    std::string text;
  };
  for (const Case& each :
       {Case{512, RAGUI_OK, "Tavrin Saver/3.0 (EN; DistCode)"},
        Case{32, RAGUI_OK, "Tavrin Saver/3.0 (EN; DistCode)"},
        Case{31, RAGUI_E_INVALID_ARGUMENT, "Tavrin Saver/3.0 (EN; DistCode"},
        Case{8, RAGUI_E_INVALID_ARGUMENT, "Tavrin "}, Case{1, RAGUI_E_INVALID_ARGUMENT, ""},
        Case{0, RAGUI_E_INVALID_ARGUMENT, "untouched"}}) {
    char buffer[512] = "untouched";
    EXPECT_EQ(RaguiFormClientIdString(buffer, each.size, "Tavrin Saver", "3.0", "EN", "DistCode"),
              each.expected)
        << each.size;
    EXPECT_EQ(std::string(buffer), each.text) << each.size;
  }
  EXPECT_EQ(RaguiFormClientIdString(nullptr, 512, "a", "b", "c", "d"), RAGUI_E_INVALID_ARGUMENT);
}

TEST_F(UnseenTest, EachCallReportsItselfAtEntry) {
  std::vector<std::string> lines;
  raui::ObserveCalls([&lines](const std::string& line) { lines.push_back(line); });
  char id[512];
  RaguiProductVersion();
  RaguiFormClientIdString(id, sizeof id, "Tavrin Saver", "3.0", "EN", "DistCode");
  const raui_test::PlayerObjects made = raui_test::MakePlayer(&record_);
  RaguiSetSource(made.ui, "/path/clip.ra");
  RaguiStatusScan(made.ui, "ClipOpened Callback");
  raui_test::EndPlayer(made);
  const std::string ui = std::to_string(made.ui);
  const std::string client = std::to_string(made.client);
  const std::vector<std::string> expected{
      "RaguiProductVersion",
      "RaguiFormClientIdString 512 \"Tavrin Saver\" \"3.0\" \"EN\" \"DistCode\"",
      "RaguiSetupClient " + std::to_string(sizeof(ClipClientSetup)) +
          " \"Tavrin Saver/3.0 (EN; DistCode)\" \"Tavrin Saver\" \"Sample Application\" \"3.0\" "
          "\"Ragui Version 1.0.0.1\" \"(c) the makers\" \"http://www.example.com/\" 1027",
      "RaguiNew " + client,
      "RaguiSetConsoleName " + ui + " \"_unique\" 1",
      "RaguiSetControlsFlags " + ui + " 0x700",
      "RaguiSetNoLabels " + ui + " 0",
      "RaguiSetWindow " + ui + " 1027",
      "RaguiSetAutoStart " + ui + " 0",
      "RaguiSetSource " + ui + " \"/path/clip.ra\"",
      "RaguiStatusScan " + ui + " \"ClipOpened Callback\"",
      "RaguiDestroy " + ui,
      "RaguiShutdownClient " + client,
  };
  EXPECT_EQ(lines, expected);
}

// The dialog's callback calls back in; it comes on whichever thread set the source.
TEST_F(UnseenTest, ClipOpenedComesOnTheCallersThreadAndMayCallBack) {
  const raui_test::PlayerObjects made = raui_test::MakePlayer(&record_);
  raui_test::ScanFromCallbacks(made.ui);
  EXPECT_EQ(RaguiSetSource(made.ui, "/nonexistent/clip.ra"), RAGUI_E_CLIP);
  EXPECT_TRUE(raui_test::OpenedCalls().empty()) << "only an opened clip is reported";
  // Only a play opens the sound device, so SDL (which keeps per-thread state for whichever
  // thread first calls it, and never frees that of a thread it did not make) meets only this one.
  const auto setSource = [&made] {
    EXPECT_EQ(RaguiSetSource(made.ui, ClipPath("chime.ra").c_str()), RAGUI_OK);
    return std::this_thread::get_id();
  };
  std::vector<std::thread::id> callers{setSource()};
  std::thread([&] { callers.push_back(setSource()); }).join();
  ASSERT_EQ(raui_test::OpenedCalls().size(), callers.size());
  for (std::size_t call = 0; call < callers.size(); ++call) {
    EXPECT_EQ(raui_test::OpenedCalls()[call].path, ClipPath("chime.ra"));
    EXPECT_EQ(raui_test::OpenedCalls()[call].thread, callers[call]);
    EXPECT_EQ(raui_test::OpenedCalls()[call].scanResult, RAGUI_OK);
  }
  // Autostart plays each new source at once.
  ASSERT_EQ(RaguiSetAutoStart(made.ui, 1), RAGUI_OK);
  ASSERT_EQ(RaguiSetSource(made.ui, ClipPath("chime.ra").c_str()), RAGUI_OK);
  WaitUntilStopped(made.ui);
  // The device has written its last samples once it is closed.
  raui_test::EndPlayer(made);
  const auto chime = raengine::DecodeClip(ClipPath("chime.ra").c_str());
  EXPECT_NE(test_support::FindSamples(sound_.Samples(), chime.samples), std::string::npos)
      << "autostart played it";
}

TEST_F(UnseenTest, AnUnseenPlayerPlaysWithoutQt) {
  const auto chime = raengine::DecodeClip(ClipPath("chime.ra").c_str());
  const raui_test::PlayerObjects made = raui_test::MakePlayer(&record_);
  ASSERT_EQ(RaguiSetSource(made.ui, ClipPath("chime.ra").c_str()), RAGUI_OK);
  EXPECT_FALSE(raui::ProbePlayer(made.ui)->shown);
  EXPECT_EQ(raui::ProbePlayer(made.ui)->name, "chime.ra");
  ASSERT_TRUE(raui::PressPlay(made.ui));
  WaitUntilStopped(made.ui);
  EXPECT_EQ(raui::ProbePlayer(made.ui)->state, raui::PlayState::Stopped) << "played to its end";
  raui_test::EndPlayer(made);
  EXPECT_NE(test_support::FindSamples(sound_.Samples(), chime.samples), std::string::npos);
  EXPECT_EQ(test_support::ThreadCount(), threadsBefore_);
  EXPECT_EQ(raengine::LiveInstances(), 0);
  EXPECT_EQ(QCoreApplication::instance(), nullptr) << "no Qt without widgets";
}

}  // namespace
