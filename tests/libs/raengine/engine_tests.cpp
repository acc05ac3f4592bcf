// The engine end to end: clips played into SDL's disk driver, notifications taken from a
// headless window's queue.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "libs/raengine/clip_decoder.h"
#include "libs/raengine/engine_probe.h"
#include "libs/raengine/raengine.h"
#include "platform/headless/headless.h"
#include "tests/support/generated_clips.h"
#include "tests/support/sound_output.h"

namespace {

namespace fs = std::filesystem;
const std::string kClips = TAVRIN_CLIPS_DIR;
constexpr UINT kNotify = 40029;

using test_support::ReadSamples;
using test_support::ThreadCount;

std::size_t Find(const std::vector<std::int16_t>& whole, const std::vector<std::int16_t>& part,
                 std::size_t from = 0) {
  return test_support::FindSamples(whole, part, from);
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    output_ = fs::temp_directory_path() /
              ("raengine-out-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
    // About thirty times real time: quick, and still paced so the silence after a clip stays small.
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    headless::Install(640, 480);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PlainProc;
    windowClass.lpszClassName = "RaEngineTest";
    RegisterClassA(&windowClass);
    window_ =
        CreateWindowExA(0, "RaEngineTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    threadsBefore_ = ThreadCount();
  }

  void TearDown() override {
    if (instance_ != 0) RaShutdown(instance_);
    fs::remove(output_);
  }

  // An instance set up the way the song player sets it up.
  void SetUpEngine() {
    const HINSTANCE client = nullptr;
    ASSERT_EQ(RaSetup(&client, &instance_, 0), RA_OK);
    ASSERT_GT(instance_, 0);
    RaRegisterNotifyWnd(instance_, window_, kNotify, RA_NOTIFY_ALL);
    ASSERT_EQ(RaSetClientLocale(instance_, 0), RA_OK);
    char id[256];
    RaFormClientIdString(id, sizeof id, "Gen32", "1.0", "EN", "Prognet");
    ASSERT_EQ(RaSetClientId(instance_, id), RA_OK);
    RaVolumeSupport(instance_, 100);
  }

  // The engine's messages that arrive within `seconds` (real time), once the first has come
  // when `stopAtFirst`.
  std::vector<MSG> Notifications(double seconds, bool stopAtFirst) {
    std::vector<MSG> got;
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    while (std::chrono::steady_clock::now() < end) {
      MSG msg{};
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == kNotify) got.push_back(msg);
      }
      if (stopAtFirst && !got.empty()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return got;
  }

  void PlayToTheEnd(const std::string& clip) {
    ASSERT_EQ(RaOpen(instance_, 0, (kClips + "/" + clip).c_str(), 1, 0), RA_OK) << clip;
    ASSERT_EQ(RaBegin(instance_), RA_OK);
    ASSERT_EQ(RaBegin(instance_), RA_OK) << "the player always begins twice";
    const auto ended = Notifications(20, true);
    ASSERT_EQ(ended.size(), 1u) << clip << " never ended";
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the record travels in lParam.
    const auto* record = reinterpret_cast<const RaNotifyRecord*>(ended[0].lParam);
    EXPECT_EQ(record->kind, 4);
    EXPECT_EQ(record->detail, 10);
    EXPECT_EQ(ended[0].wParam, static_cast<WPARAM>(instance_));
    EXPECT_EQ(ended[0].hwnd, window_);
    EXPECT_EQ(RaBegin(instance_), RA_OK) << "an ended clip is not played again";
    EXPECT_TRUE(Notifications(0.3, false).empty()) << clip << ": one notification per clip";
    RaClose(instance_);
  }

  LONG PlayedMs() {
    LONG played = -1;
    RaGetPosition(instance_, &played, nullptr);
    return played;
  }

  // The first `seconds` of the clip at `path`, as the decoder gives them.
  static std::vector<std::int16_t> Opening(const fs::path& path, int seconds) {
    LONG error = RA_OK;
    const auto stream = raengine::ClipStream::Open(path.c_str(), error);
    if (!stream) return {};
    std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds) * stream->Rate() *
                                      stream->Channels());
    samples.resize(stream->Read(samples.data(), samples.size()));
    return samples;
  }

  fs::path output_;
  HWND window_ = nullptr;
  LONG instance_ = 0;
  std::size_t threadsBefore_ = 0;
};

TEST_F(EngineTest, ClipsPlayInOrderEachNotifiedOnceAndShutdownLeavesNothing) {
  SetUpEngine();
  PlayToTheEnd("tune-rising.ra");
  PlayToTheEnd("tune-falling-old.ra");
  PlayToTheEnd("chime.ra");
  // What a termination signal does stays the program's choice while the device is open.
  for (const int signal : {SIGTERM, SIGINT}) {
    struct sigaction action {};
    ASSERT_EQ(sigaction(signal, nullptr, &action), 0);
    EXPECT_EQ(action.sa_handler, SIG_DFL) << strsignal(signal);
  }
  EXPECT_EQ(RaShutdown(instance_), RA_OK);
  EXPECT_EQ(ThreadCount(), threadsBefore_) << "the audio thread is gone";
  EXPECT_EQ(RaBegin(instance_), RA_E_BAD_INSTANCE);
  instance_ = 0;

  const auto output = ReadSamples(output_);
  std::size_t at = 0;
  for (const char* clip : {"tune-rising.ra", "tune-falling.ra", "chime.ra"}) {
    const auto decoded = raengine::DecodeClip((kClips + "/" + clip).c_str());
    ASSERT_EQ(decoded.error, RA_OK);
    const std::size_t found = Find(output, decoded.samples, at);
    ASSERT_NE(found, std::string::npos) << clip << " is not in the output after sample " << at;
    EXPECT_EQ(Find(output, decoded.samples, found + 1), std::string::npos)
        << clip << " played twice";
    at = found + decoded.samples.size();
  }
}

TEST_F(EngineTest, VolumeScalesTheSamplesAndClosingEndsAClipSilently) {
  SetUpEngine();
  ASSERT_EQ(RaSetVolume(instance_, 50), RA_OK);
  PlayToTheEnd("chime.ra");
  // A clip closed while it plays never notifies.
  ASSERT_EQ(RaSetVolume(instance_, 100), RA_OK);
  ASSERT_EQ(RaOpen(instance_, 0, (kClips + "/tune-rising.ra").c_str(), 1, 0), RA_OK);
  ASSERT_EQ(RaBegin(instance_), RA_OK);
  ASSERT_EQ(RaClose(instance_), RA_OK);
  EXPECT_TRUE(Notifications(0.3, false).empty());
  ASSERT_EQ(RaShutdown(instance_), RA_OK);
  instance_ = 0;

  auto half = raengine::DecodeClip((kClips + "/chime.ra").c_str()).samples;
  for (auto& sample : half) sample = static_cast<std::int16_t>(sample * 50 / 100);
  EXPECT_NE(Find(ReadSamples(output_), half), std::string::npos);
}

TEST_F(EngineTest, EveryFailureHasACodeAndAText) {
  EXPECT_EQ(RaSetup(nullptr, nullptr, 0), RA_E_INVALID_ARGUMENT);
  for (LONG bad : {0L, -1L, 99999L}) {
    EXPECT_EQ(RaOpen(bad, 0, (kClips + "/chime.ra").c_str(), 1, 0), RA_E_BAD_INSTANCE);
    EXPECT_EQ(RaBegin(bad), RA_E_BAD_INSTANCE);
    EXPECT_EQ(RaClose(bad), RA_E_BAD_INSTANCE);
    EXPECT_EQ(RaShutdown(bad), RA_E_BAD_INSTANCE);
    EXPECT_EQ(RaSetVolume(bad, 1), RA_E_BAD_INSTANCE);
    EXPECT_EQ(RaPause(bad, TRUE), RA_E_BAD_INSTANCE);
    EXPECT_EQ(RaSeek(bad, 0), RA_E_BAD_INSTANCE);
    EXPECT_EQ(RaGetPosition(bad, nullptr, nullptr), RA_E_BAD_INSTANCE);
  }
  SetUpEngine();
  EXPECT_EQ(RaBegin(instance_), RA_E_NO_CLIP);
  EXPECT_EQ(RaPause(instance_, TRUE), RA_E_NO_CLIP);
  EXPECT_EQ(RaSeek(instance_, 10), RA_E_NO_CLIP);
  LONG played = -1;
  LONG length = -1;
  EXPECT_EQ(RaGetPosition(instance_, &played, &length), RA_E_NO_CLIP);
  EXPECT_EQ(played, 0);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(RaOpen(instance_, 0, "/nonexistent/clip.ra", 1, 0), RA_E_FILE_OPEN);
  EXPECT_EQ(RaBegin(instance_), RA_E_NO_CLIP) << "a failed open leaves nothing to begin";
  EXPECT_EQ(RaClose(instance_), RA_OK);

  char small[8];
  EXPECT_EQ(RaFormClientIdString(small, sizeof small, "Gen32", "1.0", "EN", "Prognet"),
            RA_E_INVALID_ARGUMENT);
  EXPECT_EQ(std::string(small), "Gen32_1") << "cut, but terminated";
  char id[256];
  EXPECT_EQ(RaFormClientIdString(id, sizeof id, "Gen32", "1.0", "EN", "Prognet"), RA_OK);
  EXPECT_EQ(std::string(id), "Gen32_1.0_EN_Prognet");

  std::vector<std::string> texts;
  for (LONG code = RA_E_BAD_INSTANCE; code <= RA_E_OUT_OF_MEMORY; ++code) {
    ASSERT_NE(RaGetErrorText(code), nullptr);
    texts.emplace_back(RaGetErrorText(code));
  }
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(std::unique(texts.begin(), texts.end()), texts.end()) << "each code its own text";
  EXPECT_STREQ(RaGetErrorText(57), "Unknown error");
  EXPECT_STREQ(RaGetErrorText(-3), "Unknown error");
}

// A clip's place: seeking clamps to the clip, a paused clip keeps its place and sounds nothing,
// resuming plays the rest exactly, and an ended clip sought back plays and notifies again.
TEST_F(EngineTest, PauseSeekAndPositionMoveThroughTheOpenClip) {
  SetUpEngine();
  const std::string path = kClips + "/chime.ra";
  const auto decoded = raengine::DecodeClip(path.c_str());
  ASSERT_EQ(decoded.error, RA_OK);
  const auto frames = static_cast<LONG>(decoded.samples.size()) / decoded.channels;
  const LONG clipMs = frames * 1000 / decoded.rate;
  ASSERT_EQ(RaOpen(instance_, 0, path.c_str(), 1, 0), RA_OK);

  const auto position = [this] {
    LONG played = -1;
    LONG length = -1;
    EXPECT_EQ(RaGetPosition(instance_, &played, &length), RA_OK);
    return std::pair<LONG, LONG>{played, length};
  };
  using Place = std::pair<LONG, LONG>;
  EXPECT_EQ(position(), Place(0, clipMs));
  const LONG half = clipMs / 2;
  for (const auto& [wanted, placed] :
       {Place{half, half}, Place{-5, 0}, Place{clipMs + 1000, clipMs}, Place{half, half}}) {
    ASSERT_EQ(RaSeek(instance_, wanted), RA_OK);
    EXPECT_EQ(position().first, placed) << "sought " << wanted;
  }

  ASSERT_EQ(RaPause(instance_, TRUE), RA_OK);
  ASSERT_EQ(RaBegin(instance_), RA_OK);
  EXPECT_TRUE(Notifications(0.3, false).empty());
  EXPECT_EQ(position().first, half) << "a paused clip keeps its place";
  ASSERT_EQ(RaPause(instance_, FALSE), RA_OK);
  EXPECT_EQ(Notifications(20, true).size(), 1u);
  EXPECT_EQ(position(), Place(clipMs, clipMs));

  ASSERT_EQ(RaSeek(instance_, 0), RA_OK);
  ASSERT_EQ(RaBegin(instance_), RA_OK);
  EXPECT_EQ(Notifications(20, true).size(), 1u) << "sought back, the clip plays again";
  ASSERT_EQ(RaShutdown(instance_), RA_OK);
  instance_ = 0;

  const auto output = ReadSamples(output_);
  const long halfStart = static_cast<long>(half) * decoded.rate / 1000 * decoded.channels;
  const std::vector<std::int16_t> secondHalf(decoded.samples.begin() + halfStart,
                                             decoded.samples.end());
  const std::size_t rest = Find(output, secondHalf);
  ASSERT_NE(rest, std::string::npos) << "the rest after the pause, exactly";
  EXPECT_NE(Find(output, decoded.samples, rest + secondHalf.size()), std::string::npos)
      << "then the whole clip";
  const std::vector<std::int16_t> beforeHalf(decoded.samples.begin(),
                                             decoded.samples.begin() + halfStart);
  EXPECT_EQ(Find(output, beforeHalf), Find(output, decoded.samples))
      << "the first half only within the replay";
}

TEST_F(EngineTest, NoOutputDeviceIsReportedAndLeavesNothingBehind) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  SetUpEngine();
  EXPECT_EQ(RaOpen(instance_, 0, (kClips + "/chime.ra").c_str(), 1, 0), RA_E_NO_DEVICE);
  EXPECT_EQ(RaBegin(instance_), RA_E_NO_CLIP);
  EXPECT_EQ(RaShutdown(instance_), RA_OK);
  instance_ = 0;
  EXPECT_EQ(ThreadCount(), threadsBefore_);
}

// Held (the default, for a run of clips) the device stays open from the first open on, through
// pauses and ends; not held it is open only while a clip sounds, so that between plays nothing
// streams to the output, and each play opens it anew.
TEST_F(EngineTest, AHeldDeviceStaysOpenAndOneNotHeldOnlyWhileTheClipSounds) {
  const fs::path tone = output_.string() + ".ogg";
  ASSERT_TRUE(test_support::MakeToneThenSilence(tone, 60, 1.0, 8000));
  const std::string chime = kClips + "/chime.ra";
  const auto ended = [this] {
    if (Notifications(20, true).size() != 1) return RA_E_NO_CLIP;
    return RaGetPosition(instance_, nullptr, nullptr);
  };
  struct Step {
    const char* name;
    std::function<LONG()> call;
    int held;  // devices open afterwards, held and not held
    int notHeld;
  };
  const std::vector<Step> steps{
      {"open", [&] { return RaOpen(instance_, 0, tone.c_str(), 1, 0); }, 1, 0},
      {"begin", [this] { return RaBegin(instance_); }, 1, 1},
      {"pause", [this] { return RaPause(instance_, TRUE); }, 1, 0},
      {"resume", [this] { return RaPause(instance_, FALSE); }, 1, 1},
      {"seek while playing", [this] { return RaSeek(instance_, 30000); }, 1, 1},
      {"close while playing", [this] { return RaClose(instance_); }, 1, 0},
      {"open a short clip", [&] { return RaOpen(instance_, 0, chime.c_str(), 1, 0); }, 1, 0},
      {"begin", [this] { return RaBegin(instance_); }, 1, 1},
      {"its end, seen", ended, 1, 0},
      {"sought back", [this] { return RaSeek(instance_, 0); }, 1, 0},
      {"begun again", [this] { return RaBegin(instance_); }, 1, 1},
      {"its end again", ended, 1, 0},
  };
  for (const BOOL hold : {TRUE, FALSE}) {
    SetUpEngine();
    ASSERT_EQ(RaSetDeviceHold(instance_, hold), RA_OK);
    for (const Step& step : steps) {
      EXPECT_EQ(step.call(), RA_OK) << step.name;
      EXPECT_EQ(raengine::OpenDevices(), hold != FALSE ? step.held : step.notHeld)
          << step.name << (hold != FALSE ? ", held" : ", not held");
    }
    if (hold != FALSE) {
      ASSERT_EQ(RaShutdown(instance_), RA_OK);
    }
  }
  // Each play of the device that is not held begins a fresh output: the clip, once, and nothing
  // more comes while the clip waits.
  EXPECT_EQ(ThreadCount(), threadsBefore_) << "no audio thread between plays";
  const auto output = ReadSamples(output_);
  const auto decoded = raengine::DecodeClip(chime.c_str());
  const std::size_t at = Find(output, decoded.samples);
  EXPECT_NE(at, std::string::npos);
  EXPECT_EQ(Find(output, decoded.samples, at + 1), std::string::npos);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(ReadSamples(output_).size(), output.size()) << "the output stopped";
  fs::remove(tone);
}

TEST_F(EngineTest, NoNotificationWithoutARegisteredWindow) {
  const HINSTANCE client = nullptr;
  ASSERT_EQ(RaSetup(&client, &instance_, 0), RA_OK);
  ASSERT_EQ(RaOpen(instance_, 0, (kClips + "/chime-old.ra").c_str(), 1, 0), RA_OK);
  ASSERT_EQ(RaBegin(instance_), RA_OK);
  EXPECT_TRUE(Notifications(1.0, false).empty());
  // Registered while it plays: the end reaches the window.
  RaRegisterNotifyWnd(instance_, window_, kNotify, RA_NOTIFY_ALL);
  ASSERT_EQ(RaOpen(instance_, 0, (kClips + "/chime-old.ra").c_str(), 1, 0), RA_OK);
  ASSERT_EQ(RaBegin(instance_), RA_OK);
  EXPECT_EQ(Notifications(10, true).size(), 1u);
}

// A clip longer than an hour (once refused) opens at once, plays its opening exactly, seeks to its
// end cheaply and ends there; shut down while its decoding runs, it leaves no thread or device.
TEST_F(EngineTest, AClipOfMoreThanAnHourPlaysSeeksAndShutsDownClean) {
  constexpr int kSeconds = 70 * 60;
  const fs::path path = output_.string() + ".ogg";
  ASSERT_TRUE(test_support::MakeToneThenSilence(path, kSeconds, 1.0, 8000));
  SetUpEngine();
  ASSERT_EQ(RaOpen(instance_, 0, path.c_str(), 1, 0), RA_OK);
  LONG length = 0;
  ASSERT_EQ(RaGetPosition(instance_, nullptr, &length), RA_OK);
  EXPECT_NEAR(length, kSeconds * 1000, 50);
  ASSERT_EQ(RaBegin(instance_), RA_OK);
  for (int wait = 0; wait < 400 && PlayedMs() < 2000; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  EXPECT_GE(PlayedMs(), 2000);
  ASSERT_EQ(RaSeek(instance_, (kSeconds - 1) * 1000), RA_OK);
  EXPECT_EQ(Notifications(20, true).size(), 1u) << "the last second plays and the clip ends";
  EXPECT_NEAR(PlayedMs(), kSeconds * 1000, 50);

  ASSERT_EQ(RaSeek(instance_, 60 * 1000), RA_OK);
  ASSERT_EQ(RaBegin(instance_), RA_OK);
  ASSERT_EQ(RaShutdown(instance_), RA_OK);
  instance_ = 0;
  EXPECT_EQ(ThreadCount(), threadsBefore_);
  EXPECT_EQ(raengine::OpenDevices(), 0);
  const auto opening = Opening(path, 1);
  ASSERT_FALSE(opening.empty());
  EXPECT_NE(Find(ReadSamples(output_), opening), std::string::npos) << "the opening, exactly";
  fs::remove(path);
}

// Damage in the middle of a clip: what precedes it plays exactly, and the clip ends as a finished
// clip, notified once.
TEST_F(EngineTest, ACorruptMiddleEndsTheClipCleanly) {
  const fs::path intact = output_.string() + ".ogg";
  ASSERT_TRUE(test_support::MakeToneThenSilence(intact, 20, 20.0, 8000));
  std::ifstream in(intact, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
  ASSERT_GT(bytes.size(), 4096u);
  struct Damage {
    const char* name;
    std::size_t from;
    std::size_t to;
    char fill;
  };
  const std::size_t middle = bytes.size() / 2;
  SetUpEngine();
  for (const Damage& damage :
       {Damage{"zeros over the middle", middle, middle + 2048, '\0'},
        Damage{"garbage from the middle on", middle, bytes.size(), '\x5a'}}) {
    std::vector<char> damaged = bytes;
    std::fill(damaged.begin() + static_cast<std::ptrdiff_t>(damage.from),
              damaged.begin() + static_cast<std::ptrdiff_t>(damage.to), damage.fill);
    const fs::path path = output_.string() + "-damaged.ogg";
    std::ofstream(path, std::ios::binary)
        .write(damaged.data(), static_cast<std::streamsize>(damaged.size()));
    ASSERT_EQ(RaOpen(instance_, 0, path.c_str(), 1, 0), RA_OK) << damage.name;
    ASSERT_EQ(RaBegin(instance_), RA_OK);
    EXPECT_EQ(Notifications(20, true).size(), 1u) << damage.name;
    EXPECT_TRUE(Notifications(0.3, false).empty()) << damage.name << ": one notification";
    LONG played = 0;
    LONG length = 0;
    RaGetPosition(instance_, &played, &length);
    EXPECT_EQ(played, length) << damage.name << ": ended where it stopped";
    RaClose(instance_);
    fs::remove(path);
  }
  ASSERT_EQ(RaShutdown(instance_), RA_OK);
  instance_ = 0;
  EXPECT_NE(Find(ReadSamples(output_), Opening(intact, 2)), std::string::npos)
      << "what precedes the damage, exactly";
  fs::remove(intact);
}

}  // namespace
