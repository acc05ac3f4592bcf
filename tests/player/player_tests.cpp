// The song player's procedures on the headless backend, with a stand-in engine.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "libs/raengine/raengine.h"
#include "platform/headless/headless.h"
#include "player/song_player.h"
#include "tests/player/fake_engine.h"
#include "tests/player/player_test_support.h"

namespace {

using player_test::Set;

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { Fresh(); }

  // A new process, as far as the window system, the engine and the player's state go.
  static void Fresh() {
    headless::Install(1024, 768);
    fake_engine::Reset();
    PlayerState = PlayerStateRecord{nullptr, 0, 0, FALSE, DefaultPauseSeconds, 0};
  }

  // A file for playlist entry S<index>, and the entry naming it.
  std::string AddClip(int index) {
    std::string path = config_.Folder() + "/clip" + std::to_string(index) + ".ra";
    player_test::WriteFile(path, "clip");
    Set("The Gig", ("S" + std::to_string(index)).c_str(), path);
    return path;
  }
  void AddClips(int count) {
    for (int index = 0; index < count; ++index) paths_.push_back(AddClip(index));
    Set("The Gig", "Songs", std::to_string(count));
  }

  // Runs the program until its queue is empty; the window stays when the player plays.
  int Start() {
    const int result = WinMain(instance_, nullptr, commandLine_, SW_SHOWNORMAL);
    window_ = FindWindow(PlayerClassName, PlayerWindowTitle);
    return result;
  }

  LRESULT Notify(LONG kind, LONG detail) {
    RaNotifyRecord record{kind, detail};
    return SendMessage(window_, EngineNotifyMessage,
                       static_cast<WPARAM>(PlayerState.EngineInstance),
                       reinterpret_cast<LPARAM>(&record));
  }
  LRESULT ClipEnded() { return Notify(4, 10); }

  TempConfigHome config_;
  player_test::TempRuntimeDir runtime_;
  HINSTANCE instance_ = GetModuleHandle(nullptr);
  char commandLine_[1] = "";
  HWND window_ = nullptr;
  std::vector<std::string> paths_;
};

TEST_F(PlayerTest, StartUpSetsUpTheEngineAndBeginsS0FromAHiddenWindow) {
  AddClips(2);
  EXPECT_EQ(Start(), 0);  // the queue ran dry: the headless wait does not block
  ASSERT_NE(window_, nullptr);

  const std::vector<std::string> expected{"RaSetup",
                                          "RaRegisterNotifyWnd",
                                          "RaSetClientLocale",
                                          "RaFormClientIdString",
                                          "RaSetClientId",
                                          "RaVolumeSupport",
                                          "RaOpen",
                                          "RaBegin",
                                          "RaBegin"};
  EXPECT_EQ(fake_engine::CallNames(), expected);
  const auto& calls = fake_engine::Calls();
  EXPECT_EQ(fake_engine::SetupClient(), instance_);
  EXPECT_EQ(fake_engine::NotifyWindow(), window_);
  EXPECT_EQ(calls[1].instance, 7);
  EXPECT_EQ(calls[1].number, 40029);
  EXPECT_EQ(calls[1].text, "4294967295");
  EXPECT_EQ(calls[2].number, 0);
  EXPECT_EQ(calls[3].text, "Gen32_1.0_EN_Prognet");
  EXPECT_EQ(calls[3].number, 256);
  EXPECT_EQ(calls[4].text, "Gen32_1.0_EN_Prognet");
  EXPECT_EQ(calls[5].number, 100);
  EXPECT_EQ(calls[6].text, paths_[0]);
  EXPECT_EQ(calls[6].number, 10);  // flags 0, mode 1, reserved 0
  EXPECT_EQ(PlayerState.EngineInstance, 7);

  RECT client{};
  EXPECT_EQ(GetClientRect(window_, &client), TRUE);
  EXPECT_EQ(client.right, 1024 / 4);
  EXPECT_EQ(client.bottom, 768 / 8);
  EXPECT_EQ(headless::MessageBoxes().size(), 0U);
}

TEST_F(PlayerTest, SequentialOrderWrapsWithTheConfiguredPauseBetweenClips) {
  AddClips(3);
  Set("Settings", "EffectDelay", "2");
  Start();
  for (int ended = 0; ended < 4; ++ended) {
    const DWORD before = headless::Now();
    EXPECT_EQ(ClipEnded(), 0);
    EXPECT_EQ(headless::Now() - before, 2000U);
  }
  const std::vector<std::string> expected{paths_[0], paths_[1], paths_[2], paths_[0], paths_[1]};
  EXPECT_EQ(fake_engine::OpenedPaths(), expected);
  // Each ended clip is closed before the next opens, and each new one gets RaBegin twice.
  const std::vector<std::string> names = fake_engine::CallNames();
  const std::vector<std::string> afterStart(names.begin() + 9, names.end());
  std::vector<std::string> perClip{"RaClose", "RaOpen", "RaBegin", "RaBegin"};
  std::vector<std::string> four;
  for (int i = 0; i < 4; ++i) four.insert(four.end(), perClip.begin(), perClip.end());
  EXPECT_EQ(afterStart, four);
}

TEST_F(PlayerTest, APauseOfZeroOrBelowOrAbsentOrHuge) {
  AddClips(2);
  for (const char* delay : {"0", "-5"}) {
    Fresh();
    Set("Settings", "EffectDelay", delay);
    Start();
    const DWORD before = headless::Now();
    ClipEnded();
    EXPECT_EQ(headless::Now(), before) << delay;
  }
  Fresh();
  Set("Settings", "EffectDelay", "soon");
  Start();
  DWORD before = headless::Now();
  ClipEnded();
  EXPECT_EQ(headless::Now() - before, 6000U);
  // Seconds beyond what a millisecond count holds wait as long as one can, never "a little".
  Fresh();
  Set("Settings", "EffectDelay", "5000000");
  Start();
  before = headless::Now();
  ClipEnded();
  EXPECT_EQ(headless::Now() - before, 0xFFFFFFFEU);
}

TEST_F(PlayerTest, RandomOrderStartsWithS0AndStaysWithinThePlaylist) {
  AddClips(3);
  Set("Settings", "RandomSongs", "1");
  Set("Settings", "EffectDelay", "1");
  Start();
  std::set<std::string> played;
  for (int ended = 0; ended < 40; ++ended) {
    headless::AdvanceClock(37);  // a different seed for each draw
    ClipEnded();
  }
  const auto opened = fake_engine::OpenedPaths();
  ASSERT_EQ(opened.size(), 41U);
  EXPECT_EQ(opened[0], paths_[0]);
  played.insert(opened.begin(), opened.end());
  EXPECT_EQ(played, std::set<std::string>(paths_.begin(), paths_.end()));
}

TEST_F(PlayerTest, RandomOrderWithOneClipOrNoCountRepeatsS0) {
  // A count of 0 or below would divide by zero; the player treats it as one clip.
  for (const char* count : {"1", "0", "-3"}) {
    Fresh();
    const std::string path = AddClip(0);
    Set("The Gig", "Songs", count);
    Set("Settings", "RandomSongs", "1");
    Set("Settings", "EffectDelay", "0");
    Start();
    for (int ended = 0; ended < 5; ++ended) {
      headless::AdvanceClock(11);
      ClipEnded();
    }
    EXPECT_EQ(fake_engine::OpenedPaths(), std::vector<std::string>(6, path)) << count;
  }
}

TEST_F(PlayerTest, AnEmptyOrMissingS0EndsTheProgramWithNoBox) {
  for (const std::string& entry : {std::string(), config_.Folder() + "/gone.ra"}) {
    Fresh();
    Set("The Gig", "Songs", "2");
    Set("The Gig", "S0", entry);
    AddClip(1);
    EXPECT_EQ(Start(), 0);
    EXPECT_EQ(window_, nullptr);
    EXPECT_TRUE(fake_engine::OpenedPaths().empty());
    // The end-of-run steps ran: volume down, clip closed, engine shut down.
    const std::vector<std::string> tail{"RaSetVolume", "RaClose", "RaShutdown"};
    const auto names = fake_engine::CallNames();
    ASSERT_GE(names.size(), 3U);
    EXPECT_EQ(std::vector<std::string>(names.end() - 3, names.end()), tail);
    EXPECT_EQ(fake_engine::Calls()[names.size() - 3].number, 0);
    EXPECT_EQ(PlayerState.EngineInstance, 0);
    EXPECT_TRUE(headless::MessageBoxes().empty());
  }
}

TEST_F(PlayerTest, AMissingLaterEntryLeavesThePlayerIdleAndAlive) {
  AddClips(3);
  Set("Settings", "EffectDelay", "0");
  std::filesystem::remove(paths_[1]);
  Start();
  ClipEnded();
  EXPECT_EQ(fake_engine::OpenedPaths(), std::vector<std::string>{paths_[0]});
  EXPECT_EQ(IsWindow(window_), TRUE);
  EXPECT_NE(fake_engine::CallNames().back(), "RaShutdown");
  MSG message{};
  EXPECT_EQ(PeekMessage(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE), FALSE);
  EXPECT_TRUE(headless::MessageBoxes().empty());
}

TEST_F(PlayerTest, OnlyTheClipEndedRecordMovesThePlaylist) {
  AddClips(2);
  Set("Settings", "EffectDelay", "3");
  Start();
  const std::size_t callsBefore = fake_engine::Calls().size();
  const DWORD before = headless::Now();
  for (const auto& [kind, detail] :
       std::vector<std::pair<LONG, LONG>>{{10, 4}, {4, 9}, {4, 11}, {3, 10}, {0, 0}}) {
    EXPECT_EQ(Notify(kind, detail), 0);
  }
  // A message with that number but no record is not the engine's.
  EXPECT_EQ(SendMessage(window_, EngineNotifyMessage, 0, 0), 0);
  EXPECT_EQ(fake_engine::Calls().size(), callsBefore);
  EXPECT_EQ(headless::Now(), before);
  EXPECT_EQ(PlayerState.CurrentIndex, 0);
}

TEST_F(PlayerTest, EngineErrorsAreShownExceptZero57AndNegativeCodes) {
  AddClips(1);
  fake_engine::SetResult("RaSetup", 57);
  fake_engine::SetResult("RaSetClientLocale", -2);
  fake_engine::SetResult("RaSetClientId", 0);
  fake_engine::SetResult("RaRegisterNotifyWnd", 5);  // its result is not looked at
  fake_engine::SetResult("RaOpen", 3);
  fake_engine::SetResult("RaBegin", 8);
  Start();
  const auto& boxes = headless::MessageBoxes();
  // RaBegin is reported after RaOpen only; the second RaBegin's answer is ignored.
  ASSERT_EQ(boxes.size(), 2U);
  EXPECT_EQ(boxes[0].text, "Error #3 - The clip file cannot be opened");
  EXPECT_EQ(boxes[1].text, "Error #8 - Something else");
  for (const auto& box : boxes) {
    EXPECT_EQ(box.caption, "RealAudio Error Message");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
  }
  // The player goes on all the same.
  EXPECT_NE(window_, nullptr);
}

TEST_F(PlayerTest, NoEngineInstanceIsReportedWhenAClipBegins) {
  AddClips(2);
  Set("Settings", "EffectDelay", "0");
  fake_engine::SetNewInstance(0);
  Start();
  ASSERT_EQ(headless::MessageBoxes().size(), 1U);
  EXPECT_EQ(headless::MessageBoxes()[0].text, "No Valid Instance!");
  EXPECT_EQ(headless::MessageBoxes()[0].caption, "ERROR");
  EXPECT_EQ(headless::MessageBoxes()[0].type, static_cast<UINT>(MB_OK));
  ClipEnded();
  EXPECT_EQ(headless::MessageBoxes().size(), 2U);
}

TEST_F(PlayerTest, LongSettingTextsAndPathsAreReadWhole) {
  // 43 characters: more than a short settings buffer holds.
  Set("Settings", "EffectDelay", std::string(42, '0') + "3");
  const std::string folder =
      config_.Folder() + "/" + std::string(120, 'd') + "/" + std::string(120, 'e');
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/clip.ra";
  player_test::WriteFile(path, "clip");
  Set("The Gig", "S0", path);
  Set("The Gig", "Songs", std::string(40, ' ') + "1");
  Start();
  EXPECT_EQ(fake_engine::OpenedPaths(), std::vector<std::string>{path});
  const DWORD before = headless::Now();
  ClipEnded();
  EXPECT_EQ(headless::Now() - before, 3000U);
  EXPECT_EQ(fake_engine::OpenedPaths(), std::vector<std::string>(2, path));
}

TEST_F(PlayerTest, ClosingTheWindowReleasesTheEngineAndEndsTheLoop) {
  AddClips(1);
  Start();
  fake_engine::Reset();
  EXPECT_EQ(SendMessage(window_, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(IsWindow(window_), FALSE);
  EXPECT_EQ(fake_engine::CallNames(),
            (std::vector<std::string>{"RaSetVolume", "RaClose", "RaShutdown"}));
  for (const auto& call : fake_engine::Calls()) EXPECT_EQ(call.instance, 7);
  EXPECT_EQ(PlayerState.EngineInstance, 0);
  MSG message{};
  ASSERT_EQ(PeekMessage(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE), TRUE);
  EXPECT_EQ(message.wParam, 0U);
}

}  // namespace
