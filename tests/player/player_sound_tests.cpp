// The real tavrinra with the real engine, playing into SDL's disk audio driver: what reaches the
// output, in what order, and how the program ends.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "libs/raengine/clip_decoder.h"
#include "tests/player/player_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;
using Samples = std::vector<std::int16_t>;
using player_test::Set;

// A guard against a hang, never a measure: a clip of a few seconds plays long before it.
constexpr auto kPatience = std::chrono::seconds(60);

const std::string kClips = TAVRIN_CLIPS_DIR;

Samples Decode(const std::string& path) {
  const raengine::DecodedClip clip = raengine::DecodeClip(path.c_str());
  EXPECT_EQ(clip.error, 0) << path;
  return clip.samples;
}

Samples ReadSamples(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  Samples samples(bytes.size() / sizeof(std::int16_t));
  std::copy_n(bytes.data(), samples.size() * sizeof(std::int16_t),
              reinterpret_cast<char*>(samples.data()));
  return samples;
}

std::string ReadText(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// What the program said on standard error, where its boxes go without a display, less the
// disk driver's own warnings.
std::string BoxesIn(const std::string& errors) {
  std::istringstream lines(errors);
  std::string kept;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("CRITICAL:", 0) != 0) kept += line + "\n";
  }
  return kept;
}

struct Found {
  int clip;
  std::size_t start;
};

// Each whole clip found in the output, in order of appearance; between two clips every sample
// must be silence.
std::vector<Found> FindClips(const Samples& output, const std::vector<Samples>& clips,
                             bool* onlySilenceBetween) {
  std::vector<Found> found;
  *onlySilenceBetween = true;
  std::size_t position = 0;
  while (position < output.size()) {
    std::optional<Found> next;
    for (std::size_t index = 0; index < clips.size(); ++index) {
      const auto at = std::search(output.begin() + static_cast<std::ptrdiff_t>(position),
                                  output.end(), clips[index].begin(), clips[index].end());
      if (at == output.end()) continue;
      const auto start = static_cast<std::size_t>(at - output.begin());
      if (!next || start < next->start) next = Found{static_cast<int>(index), start};
    }
    if (!next) break;
    if (!std::all_of(output.begin() + static_cast<std::ptrdiff_t>(position),
                     output.begin() + static_cast<std::ptrdiff_t>(next->start),
                     [](std::int16_t sample) { return sample == 0; })) {
      *onlySilenceBetween = false;
    }
    found.push_back(*next);
    position = next->start + clips[static_cast<std::size_t>(next->clip)].size();
  }
  return found;
}

class PlayerSound : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const pid_t pid : running_) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }

  std::string Output(const std::string& name = "out") const {
    return config_.Folder() + "/" + name + ".raw";
  }
  std::string Errors(const std::string& name = "out") const {
    return config_.Folder() + "/" + name + ".err";
  }

  void SetClips(const std::vector<std::string>& paths, int count = -1) {
    for (std::size_t index = 0; index < paths.size(); ++index) {
      Set("The Gig", ("S" + std::to_string(index)).c_str(), paths[index]);
    }
    Set("The Gig", "Songs", std::to_string(count >= 0 ? count : static_cast<int>(paths.size())));
  }

  // Starts tavrinra with no display, its sound going to Output(name) and its standard error
  // (where its boxes go without a display) to Errors(name).
  pid_t Start(const std::string& name = "out") {
    const std::string output = Output(name);
    const std::string errors = Errors(name);
    const pid_t child = fork();
    if (child == 0) {
      unsetenv("DISPLAY");
      setenv("SDL_AUDIODRIVER", "disk", 1);
      setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
      if (std::freopen(errors.c_str(), "w", stderr) == nullptr) _exit(126);
      execl(TAVRIN_PLAYER_PROGRAM, "tavrinra", static_cast<char*>(nullptr));
      _exit(127);
    }
    running_.push_back(child);
    return child;
  }

  // The exit code once the program has ended, or nothing while it runs.
  std::optional<int> Ended(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid) return std::nullopt;
    running_.erase(std::remove(running_.begin(), running_.end(), pid), running_.end());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  std::optional<int> WaitForEnd(pid_t pid) {
    const auto end = Clock::now() + kPatience;
    while (Clock::now() < end) {
      if (const auto code = Ended(pid)) return code;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
  }

  // Waits until `done` holds for the output so far; false when the patience ran out.
  bool WaitForOutput(const std::function<bool(const Samples&)>& done,
                     const std::string& name = "out") {
    const auto end = Clock::now() + kPatience;
    while (Clock::now() < end) {
      if (done(ReadSamples(Output(name)))) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  // Waits until `count` clips have been found whole in the output.
  std::vector<Found> WaitForClips(const std::vector<Samples>& clips, std::size_t count,
                                  bool* onlySilenceBetween) {
    std::vector<Found> found;
    WaitForOutput([&](const Samples& output) {
      found = FindClips(output, clips, onlySilenceBetween);
      return found.size() >= count;
    });
    return found;
  }

  TempConfigHome config_;
  player_test::TempRuntimeDir runtime_;
  std::vector<pid_t> running_;
};

std::vector<int> Order(const std::vector<Found>& found, std::size_t count) {
  std::vector<int> order;
  for (std::size_t i = 0; i < std::min(count, found.size()); ++i) order.push_back(found[i].clip);
  return order;
}

TEST_F(PlayerSound, PlaysThePlaylistInOrderWrappingWithSilentPausesBetween) {
  // Both container forms in one playlist.
  const std::vector<std::string> paths{kClips + "/chime.ra", kClips + "/tune-rising-old.ra",
                                       kClips + "/tune-falling.ra"};
  std::vector<Samples> clips;
  clips.reserve(paths.size());
  for (const auto& path : paths) clips.push_back(Decode(path));
  SetClips(paths);
  Set("Settings", "EffectDelay", "1");
  const pid_t player = Start();
  bool onlySilence = false;
  const auto found = WaitForClips(clips, 4, &onlySilence);
  EXPECT_EQ(Order(found, 4), (std::vector<int>{0, 1, 2, 0}));
  EXPECT_TRUE(onlySilence);
  // The pause of a second is far longer than the engine's own period of silence after a clip.
  for (std::size_t i = 1; i < std::min<std::size_t>(found.size(), 4); ++i) {
    const std::size_t previousEnd =
        found[i - 1].start + clips[static_cast<std::size_t>(found[i - 1].clip)].size();
    EXPECT_GT(found[i].start - previousEnd, 2048U) << "pause before clip " << i;
  }
  EXPECT_FALSE(Ended(player).has_value());
  EXPECT_EQ(BoxesIn(ReadText(Errors())), "");
}

TEST_F(PlayerSound, RandomOrderBeginsWithS0AndOneClipRepeats) {
  const std::vector<Samples> clips{Decode(kClips + "/chime-old.ra")};
  SetClips({kClips + "/chime-old.ra"});
  Set("Settings", "RandomSongs", "1");
  Set("Settings", "EffectDelay", "0");
  Start();
  bool onlySilence = false;
  EXPECT_EQ(Order(WaitForClips(clips, 3, &onlySilence), 3), (std::vector<int>{0, 0, 0}));
  EXPECT_TRUE(onlySilence);
}

TEST_F(PlayerSound, RandomOrderOverSeveralClipsBeginsWithS0) {
  const std::vector<std::string> paths{kClips + "/tune-falling-old.ra", kClips + "/chime.ra",
                                       kClips + "/tune-rising.ra"};
  std::vector<Samples> clips;
  clips.reserve(paths.size());
  for (const auto& path : paths) clips.push_back(Decode(path));
  SetClips(paths);
  Set("Settings", "RandomSongs", "1");
  Set("Settings", "EffectDelay", "0");
  Start();
  bool onlySilence = false;
  const auto found = WaitForClips(clips, 2, &onlySilence);
  ASSERT_GE(found.size(), 2U);
  EXPECT_EQ(found[0].clip, 0);
}

TEST_F(PlayerSound, AnEmptyOrMissingS0EndsAtOnceWithoutABox) {
  int run = 0;
  for (const std::string& entry : {std::string(), config_.Folder() + "/missing.ra"}) {
    const std::string name = "run" + std::to_string(run++);
    SetClips({entry, kClips + "/chime.ra"});
    const pid_t player = Start(name);
    EXPECT_EQ(WaitForEnd(player), 0) << name;
    EXPECT_EQ(BoxesIn(ReadText(Errors(name))), "") << name;
    bool onlySilence = false;
    EXPECT_TRUE(
        FindClips(ReadSamples(Output(name)), {Decode(kClips + "/chime.ra")}, &onlySilence).empty());
  }
}

TEST_F(PlayerSound, AMissingLaterEntryLeavesThePlayerSilentAndRunning) {
  const Samples chime = Decode(kClips + "/chime.ra");
  SetClips({kClips + "/chime.ra", config_.Folder() + "/missing.ra", kClips + "/chime.ra"});
  Set("Settings", "EffectDelay", "0");
  const pid_t player = Start();
  // The device stays open: silence keeps coming after the first clip, and nothing else.
  bool onlySilence = false;
  ASSERT_TRUE(WaitForOutput([&](const Samples& output) {
    const auto found = FindClips(output, {chime}, &onlySilence);
    return !found.empty() && output.size() > found[0].start + chime.size() + 16000;
  }));
  const Samples output = ReadSamples(Output());
  EXPECT_EQ(FindClips(output, {chime}, &onlySilence).size(), 1U);
  EXPECT_TRUE(std::all_of(output.end() - 16000, output.end(),
                          [](std::int16_t sample) { return sample == 0; }));
  EXPECT_FALSE(Ended(player).has_value());
  EXPECT_EQ(BoxesIn(ReadText(Errors())), "");
}

TEST_F(PlayerSound, EngineErrorsAreShownAndThePlayerGoesOn) {
  const std::string noise = config_.Folder() + "/noise.ra";
  player_test::WriteFile(noise, "this is not a sound clip");
  SetClips({noise, kClips + "/chime.ra"});
  const pid_t player = Start();
  ASSERT_TRUE(WaitForOutput([&](const Samples&) {
    return BoxesIn(ReadText(Errors())).find("Error #8") != std::string::npos;
  }));
  const std::string errors = BoxesIn(ReadText(Errors()));
  EXPECT_NE(errors.find("RealAudio Error Message: Error #"), std::string::npos) << errors;
  // The failed open, then the begin without a clip: two boxes, and no "No Valid Instance!".
  EXPECT_EQ(errors.find("ERROR"), std::string::npos) << errors;
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(Ended(player).has_value());
}

TEST_F(PlayerSound, ATruncatedClipPlaysWhatDecodesAndEndsNormally) {
  const std::string bytes = ReadText(kClips + "/tune-rising.ra");
  const std::string cut = config_.Folder() + "/cut.ra";
  player_test::WriteFile(cut, bytes.substr(0, bytes.size() * 2 / 3));
  const Samples chime = Decode(kClips + "/chime.ra");
  SetClips({cut, kClips + "/chime.ra"});
  Set("Settings", "EffectDelay", "0");
  const pid_t player = Start();
  bool onlySilence = false;
  EXPECT_TRUE(WaitForOutput(
      [&](const Samples& output) { return !FindClips(output, {chime}, &onlySilence).empty(); }));
  EXPECT_FALSE(Ended(player).has_value());
}

TEST_F(PlayerSound, ASecondPlayerOfTheSessionEndsAtOnceSilently) {
  const Samples chime = Decode(kClips + "/chime.ra");
  SetClips({kClips + "/chime.ra"});
  const pid_t first = Start("first");
  ASSERT_TRUE(WaitForOutput([](const Samples& output) { return !output.empty(); }, "first"));
  const pid_t second = Start("second");
  EXPECT_EQ(WaitForEnd(second), 0);
  EXPECT_TRUE(ReadSamples(Output("second")).empty());
  EXPECT_EQ(BoxesIn(ReadText(Errors("second"))), "");
  EXPECT_FALSE(Ended(first).has_value());
  // Once the first is killed outright, the next one plays.
  kill(first, SIGKILL);
  WaitForEnd(first);
  Start("third");
  bool onlySilence = false;
  EXPECT_TRUE(WaitForOutput(
      [&](const Samples& output) { return !FindClips(output, {chime}, &onlySilence).empty(); },
      "third"));
}

}  // namespace
