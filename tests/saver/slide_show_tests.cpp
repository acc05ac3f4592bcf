// The slide show on the virtual clock: what each tick draws, where, and what it leaves behind.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "effects/engine.h"
#include "platform/headless/headless.h"
#include "saver/host.h"
#include "saver/slide_show.h"
#include "settings/settings.h"
#include "tests/saver/saver_test_support.h"

namespace {

using platform::gdi::CopyCall;
using saver_test::LogoHeight;
using saver_test::LogoWidth;
using saver_test::SaverTest;

// The generator every random choice uses, written out again so the test does not share it.
class ModelRandom {
 public:
  explicit ModelRandom(unsigned int seed) : state_(seed) {}
  int Next() {
    state_ = state_ * 214013U + 2531011U;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  unsigned int state_;
};

struct Placed {
  int x, y, width, height;
  bool operator==(const Placed&) const = default;
};

std::vector<Placed> Blits(const std::vector<CopyCall>& copies) {
  std::vector<Placed> placed;
  for (const CopyCall& copy : copies) {
    if (!copy.stretch) placed.push_back(Placed{copy.x, copy.y, copy.width, copy.height});
  }
  return placed;
}

Placed Centred(int clientWidth, int clientHeight, int width, int height) {
  return Placed{(clientWidth - width) / 2, (clientHeight - height) / 2, width, height};
}

class SlideShowTest : public SaverTest {
 protected:
  void SetUp() override {
    SaverTest::SetUp();
    Set("Settings", "EffectDelay", "1");
  }
};

TEST_F(SlideShowTest, LogoAt50MillisecondsThenEachPictureInTurnWrappingAround) {
  SetPictureCount(3);
  AddPicture(0, 100, 50);
  AddPicture(1, 120, 60);
  AddPicture(2, 140, 70);
  HWND window = OpenSaverWindow(nullptr);
  ASSERT_NE(window, nullptr);

  Run(49);
  EXPECT_TRUE(Blits(Copies()).empty());
  Run(1);
  EXPECT_EQ(Blits(Copies()), (std::vector<Placed>{Centred(1024, 768, LogoWidth, LogoHeight)}));
  EXPECT_EQ(headless::WindowPixel(window, (1024 - LogoWidth) / 2, (768 - LogoHeight) / 2),
            saver_test::PicturePixel(saver_test::LogoSeed, 0, 0));

  // One picture a period (1 s) after the logo, then one a period after each.
  ForgetCopies();
  Run(999);
  EXPECT_TRUE(Blits(Copies()).empty());
  Run(1 + 4 * 1000);
  EXPECT_EQ(Blits(Copies()),
            (std::vector<Placed>{Centred(1024, 768, 100, 50), Centred(1024, 768, 120, 60),
                                 Centred(1024, 768, 140, 70), Centred(1024, 768, 100, 50),
                                 Centred(1024, 768, 120, 60)}));
  DestroyWindow(window);
}

TEST_F(SlideShowTest, CentresWithTruncationAndCropsLargerPicturesOnBothSides) {
  const std::vector<std::pair<int, int>> sizes = {
      {1024, 768}, {1025, 769}, {1026, 770}, {101, 51}, {1300, 10}};
  SetPictureCount(static_cast<int>(sizes.size()));
  for (int i = 0; i < static_cast<int>(sizes.size()); ++i) {
    AddPicture(i, sizes[i].first, sizes[i].second);
  }
  HWND window = OpenSaverWindow(nullptr);
  Run(50);
  for (int i = 0; i < static_cast<int>(sizes.size()); ++i) {
    ForgetCopies();
    Run(1000);
    const auto [width, height] = sizes[i];
    const Placed expected = Centred(1024, 768, width, height);
    ASSERT_EQ(Blits(Copies()), std::vector<Placed>{expected}) << "picture " << i;
    // The window's top-left pixel shows the picture pixel that lands there.
    const int seed = i + 1;
    if (expected.x <= 0 && expected.y <= 0) {
      EXPECT_EQ(headless::WindowPixel(window, 0, 0),
                saver_test::PicturePixel(seed, -expected.x, -expected.y));
    }
    EXPECT_EQ(headless::WindowPixel(window, expected.x + width / 2, expected.y + height / 2),
              saver_test::PicturePixel(seed, width / 2, height / 2));
  }
  // 1025 wide: drawn at 0, losing its rightmost column; 1026: at -1.
  EXPECT_EQ(Centred(1024, 768, 1025, 769).x, 0);
  EXPECT_EQ(Centred(1024, 768, 1026, 770).x, -1);
  DestroyWindow(window);
}

TEST_F(SlideShowTest, WindowNarrowerThan640StretchesAndOneOf640RunsTransitions) {
  SetPictureCount(1);
  AddPicture(0, 300, 200);
  const std::uintptr_t narrow = headless::CreateForeignWindow(639, 400);
  HWND small = OpenSaverWindow(reinterpret_cast<HWND>(narrow));  // NOLINT
  ASSERT_NE(small, nullptr);
  Run(50 + 1000);
  ASSERT_EQ(Copies().size(), 2U);
  for (const CopyCall& copy : Copies()) {
    EXPECT_TRUE(copy.stretch);
    EXPECT_EQ((Placed{copy.x, copy.y, copy.width, copy.height}), (Placed{0, 0, 639, 400}));
  }
  EXPECT_EQ(Copies()[0].sourceWidth, LogoWidth);
  EXPECT_EQ(Copies()[1].sourceWidth, 300);
  EXPECT_EQ(Copies()[1].sourceHeight, 200);
  DestroyWindow(small);

  ForgetCopies();
  const std::uintptr_t wide = headless::CreateForeignWindow(640, 400);
  HWND large = OpenSaverWindow(reinterpret_cast<HWND>(wide));  // NOLINT
  Run(50 + 1000);
  EXPECT_EQ(Blits(Copies()), (std::vector<Placed>{Centred(640, 400, LogoWidth, LogoHeight),
                                                  Centred(640, 400, 300, 200)}));
  DestroyWindow(large);
}

TEST_F(SlideShowTest, MissingEntryMissingFileOrUndecodablePictureShowsTheLogoInItsPlace) {
  SetPictureCount(4);
  // P0 is never written.
  Set("The Gig", "P1", config_.Folder() + "/no-such-picture.bmp");
  const std::string undecodable = AddPicture(2, 80, 80, /*decodable=*/false);
  const std::string decodable = AddPicture(3, 90, 90);
  HWND window = OpenSaverWindow(nullptr);
  Run(50);
  for (int i = 0; i < 4; ++i) {
    ForgetCopies();
    Run(1000);
    const int width = i < 3 ? LogoWidth : 90;
    const int height = i < 3 ? LogoHeight : 90;
    ASSERT_EQ(Blits(Copies()), std::vector<Placed>{Centred(1024, 768, width, height)})
        << "picture " << i;
    EXPECT_EQ(headless::WindowPixel(window, (1024 - width) / 2, (768 - height) / 2),
              saver_test::PicturePixel(i < 3 ? saver_test::LogoSeed : 4, 0, 0));
  }
  // A file that is not there never reaches the library; one it cannot read does.
  EXPECT_EQ(saver_test::DecodedPaths(), (std::vector<std::string>{undecodable, decodable}));
  DestroyWindow(window);
}

TEST_F(SlideShowTest, RandomPicturesDrawAgainOnceWhenTheSameIndexComesUp) {
  SetPictureCount(3);
  for (int i = 0; i < 3; ++i) AddPicture(i, 10 + i, 10);
  Set("Settings", "RandomImages", "1");
  HWND window = OpenSaverWindow(nullptr);
  Run(50);
  int current = -1;
  int retries = 0;
  for (int tick = 1; tick <= 40; ++tick) {
    ForgetCopies();
    Run(1000);
    // The tick ran at 50 + tick * 1000 ms, seeding from the low 16 bits of that time.
    ModelRandom random((50 + tick * 1000) & 0xFFFF);
    int expected = random.Next() % 3;
    if (expected == current) {
      expected = random.Next() % 3;
      ++retries;
    }
    ASSERT_EQ(Blits(Copies()).size(), 1U);
    ASSERT_EQ(Blits(Copies())[0].width, 10 + expected) << "tick " << tick;
    current = expected;
  }
  EXPECT_GT(retries, 0);
  DestroyWindow(window);
}

TEST_F(SlideShowTest, RandomPicturesFromOneEntryAlwaysShowIt) {
  AddPicture(0, 33, 33);
  Set("Settings", "RandomImages", "1");
  HWND window = OpenSaverWindow(nullptr);
  Run(50 + 5 * 1000);
  EXPECT_EQ(Blits(Copies()).size(), 6U);
  for (size_t i = 1; i < Blits(Copies()).size(); ++i) EXPECT_EQ(Blits(Copies())[i].width, 33);
  DestroyWindow(window);
}

TEST_F(SlideShowTest, RandomEffectsComeFromTheFirst19WithOneRetryAgainstTheLastOne) {
  AddPicture(0, 8, 8);
  Set("Settings", "RandomEffects", "1");
  Set("Settings", "GrainSize", "8");
  Set("Settings", "DelayFactor", "1");
  // The configured effect counts as the one before the first picture: make it the first draw
  // of the first picture's tick (at 1050 ms), which must then draw again.
  const int firstDraw = ModelRandom(1050).Next() % 19;
  Set("Settings", "Effect", std::to_string(firstDraw));
  HWND window = OpenSaverWindow(nullptr);
  Run(50);
  int last = firstDraw;
  for (int tick = 1; tick <= 100; ++tick) {
    Run(1000);
    ModelRandom random((50 + tick * 1000) & 0xFFFF);
    int expected = random.Next() % 19;
    if (expected == last) expected = random.Next() % 19;
    ASSERT_EQ(TransitionContext.Effect, expected) << "tick " << tick;
    ASSERT_EQ(SlideShow.LastEffect, expected);
    last = expected;
  }
  DestroyWindow(window);
}

TEST_F(SlideShowTest, NoDeviceContextOrBitmapOutlivesATick) {
  SetPictureCount(3);
  AddPicture(0, 200, 100);
  Set("The Gig", "P1", "/no/such/file.bmp");
  AddPicture(2, 50, 50, /*decodable=*/false);
  HWND window = OpenSaverWindow(nullptr);
  const platform::gdi::LiveObjects before = platform::gdi::CountLiveObjects();
  for (int tick = 0; tick < 4; ++tick) {
    Run(tick == 0 ? 50 : 1000);
    EXPECT_EQ(platform::gdi::CountLiveObjects(), before) << "tick " << tick;
  }
  DestroyWindow(window);

  // The stretched pictures of a small window too.
  const std::uintptr_t narrow = headless::CreateForeignWindow(320, 240);
  HWND small = OpenSaverWindow(reinterpret_cast<HWND>(narrow));  // NOLINT
  const platform::gdi::LiveObjects beforeSmall = platform::gdi::CountLiveObjects();
  Run(50 + 3 * 1000);
  EXPECT_EQ(platform::gdi::CountLiveObjects(), beforeSmall);
  DestroyWindow(small);
}

// --- The song player ---------------------------------------------------------------

class SongPlayerTest : public SaverTest {
 protected:
  void SetUp() override {
    SaverTest::SetUp();
    marker_ = config_.Folder() + "/player-started";
    setenv("TAVRIN_TEST_PLAYER_MARKER", marker_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("TAVRIN_TEST_PLAYER_MARKER");
    SaverTest::TearDown();
  }
  // The fake player's process id once it has written it; 0 when it never does.
  pid_t WaitForPlayer() {
    for (int i = 0; i < 1000; ++i) {
      std::ifstream file(marker_);
      int pid = 0;
      if (file >> pid) return pid;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
  }
  std::string marker_;
};

TEST_F(SongPlayerTest, StartsOnlyWithClipsAndPlaySongsOrRandomSongs) {
  struct Case {
    const char* songs;
    const char* playSongs;
    const char* randomSongs;
    bool started;
  };
  const Case cases[] = {
      {nullptr, "1", "1", false}, {"0", "1", "1", false}, {"2", "0", "0", false},
      {"2", "1", "0", true},      {"2", "0", "1", true},
  };
  // A count names only stored clips.
  Set("The Gig", "S0", "/clips/a.ra");
  Set("The Gig", "S1", "/clips/b.ra");
  for (const Case& c : cases) {
    if (c.songs != nullptr) Set("The Gig", "Songs", c.songs);
    Set("Settings", "PlaySongs", c.playSongs);
    Set("Settings", "RandomSongs", c.randomSongs);
    HWND window = OpenSaverWindow(nullptr);
    EXPECT_EQ(SlideShow.PlayerStarted != FALSE, c.started)
        << "Songs " << (c.songs ? c.songs : "absent") << " PlaySongs " << c.playSongs
        << " RandomSongs " << c.randomSongs;
    if (c.started) {
      const pid_t player = WaitForPlayer();
      ASSERT_NE(player, 0);
      DestroyWindow(window);
      // Ended and reaped at destruction: the process is gone.
      EXPECT_EQ(kill(player, 0), -1);
      EXPECT_EQ(errno, ESRCH);
      std::remove(marker_.c_str());
    } else {
      DestroyWindow(window);
    }
    EXPECT_FALSE(SlideShow.PlayerStarted);
  }
}

}  // namespace
