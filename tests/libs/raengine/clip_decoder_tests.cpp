#include "libs/raengine/clip_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "libs/raengine/raengine.h"
#include "tests/support/generated_clips.h"

namespace {

namespace fs = std::filesystem;
const std::string kClips = TAVRIN_CLIPS_DIR;

std::vector<char> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ClipDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("raengine-decode-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(const std::string& name, const std::vector<char>& bytes) {
    fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
    return path;
  }

  fs::path dir_;
};

TEST_F(ClipDecoderTest, BothContainerFormsGiveTheSameSamplesOfTheWholeTune) {
  for (const char* name : {"tune-rising", "tune-falling", "chime"}) {
    const auto modern = raengine::DecodeClip((kClips + "/" + name + ".ra").c_str());
    const auto old = raengine::DecodeClip((kClips + "/" + name + "-old.ra").c_str());
    ASSERT_EQ(modern.error, RA_OK) << name;
    ASSERT_EQ(old.error, RA_OK) << name;
    EXPECT_EQ(modern.rate, 8000);
    EXPECT_EQ(modern.channels, 1);
    EXPECT_EQ(old.samples, modern.samples) << name;
  }
  // The container declares no duration: the length comes from the frames (160 samples each).
  const auto rising = raengine::DecodeClip((kClips + "/tune-rising.ra").c_str());
  EXPECT_NEAR(static_cast<double>(rising.samples.size()) / 8000.0, 2.0, 0.05);
  EXPECT_EQ(rising.samples.size() % 160, 0u);
}

// The length is known at the open, before anything plays, and is what decodes: the old form's
// header guesses a bit rate (a one-second clip would be 34 seconds), RealMedia's says nothing.
TEST_F(ClipDecoderTest, TheLengthAtTheOpenIsWhatTheClipDecodesTo) {
  for (const char* name : {"chime.ra", "chime-old.ra", "tune-falling.ra", "tune-falling-old.ra",
                           "tune-rising.ra", "tune-rising-old.ra"}) {
    const std::string path = kClips + "/" + name;
    LONG error = -1;
    const auto stream = raengine::ClipStream::Open(path.c_str(), error);
    ASSERT_NE(stream, nullptr) << name << ": " << RaGetErrorText(error);
    const auto decoded = raengine::DecodeClip(path.c_str());
    ASSERT_EQ(decoded.error, RA_OK) << name;
    EXPECT_EQ(stream->LengthFrames(),
              static_cast<std::int64_t>(decoded.samples.size()) / decoded.channels)
        << name;
  }
}

TEST_F(ClipDecoderTest, FailuresAreToldApart) {
  EXPECT_EQ(raengine::DecodeClip((dir_ / "missing.ra").c_str()).error, RA_E_FILE_OPEN);
  EXPECT_EQ(raengine::DecodeClip("").error, RA_E_FILE_OPEN);
  EXPECT_EQ(raengine::DecodeClip(nullptr).error, RA_E_FILE_OPEN);
  EXPECT_EQ(raengine::DecodeClip(dir_.c_str()).error, RA_E_DECODE) << "a folder";
  const std::string text = "This is a text file, not a clip.\n";
  EXPECT_EQ(raengine::DecodeClip(Write("text.ra", {text.begin(), text.end()}).c_str()).error,
            RA_E_DECODE);
  EXPECT_EQ(raengine::DecodeClip(Write("empty.ra", {}).c_str()).error, RA_E_DECODE);

  const fs::path picture = dir_ / "picture.nut";
  const std::string make =
      "ffmpeg -loglevel error -y -f lavfi -i color=c=red:s=16x16:d=0.2 "
      "-c:v ffv1 '" +
      picture.string() + "'";
  ASSERT_EQ(std::system(make.c_str()), 0);
  EXPECT_EQ(raengine::DecodeClip(picture.c_str()).error, RA_E_NO_AUDIO_STREAM);

  const auto tooLong = raengine::DecodeClip((kClips + "/tune-rising.ra").c_str(), 1);
  EXPECT_EQ(tooLong.error, RA_E_CLIP_TOO_LONG);
  EXPECT_TRUE(tooLong.samples.empty()) << "the memory is given back";
}

// Every cut of a clip either decodes to a leading part of the whole clip or fails with a code.
TEST_F(ClipDecoderTest, TruncatedClipsDecodeWhatPrecedesTheCut) {
  for (const char* name : {"tune-falling.ra", "tune-falling-old.ra"}) {
    const std::vector<char> whole = ReadBytes(kClips + "/" + name);
    const auto full = raengine::DecodeClip((kClips + "/" + name).c_str());
    ASSERT_EQ(full.error, RA_OK);
    std::size_t longestPart = 0;
    for (std::size_t cut = 0; cut < whole.size(); cut += 37) {
      const fs::path path =
          Write("cut.ra", {whole.begin(), whole.begin() + static_cast<long>(cut)});
      const auto part = raengine::DecodeClip(path.c_str());
      if (part.error != RA_OK) {
        EXPECT_TRUE(part.error == RA_E_DECODE || part.error == RA_E_NO_AUDIO_STREAM)
            << name << " cut at " << cut << ": " << part.error;
        continue;
      }
      ASSERT_LE(part.samples.size(), full.samples.size()) << cut;
      EXPECT_TRUE(std::equal(part.samples.begin(), part.samples.end(), full.samples.begin()))
          << name << " cut at " << cut;
      longestPart = std::max(longestPart, part.samples.size());
    }
    EXPECT_GT(longestPart, full.samples.size() / 2) << name << ": a cut clip still plays";
  }
}

TEST_F(ClipDecoderTest, CorruptClipsNeverCrashAndStayWithinTheirLength) {
  for (const char* name : {"tune-rising.ra", "tune-rising-old.ra"}) {
    const std::vector<char> whole = ReadBytes(kClips + "/" + name);
    std::uint32_t seed = 12345;
    for (int round = 0; round < 200; ++round) {
      std::vector<char> bytes = whole;
      for (int flip = 0; flip < 1 + round % 8; ++flip) {
        seed = seed * 1103515245u + 12345u;
        bytes[(seed >> 8) % bytes.size()] = static_cast<char>(seed >> 24);
      }
      const auto clip = raengine::DecodeClip(Write("corrupt.ra", bytes).c_str());
      if (clip.error == RA_OK) {
        EXPECT_LE(clip.samples.size(), static_cast<std::size_t>(clip.rate) * clip.channels * 4)
            << name << " round " << round;
      }
    }
  }
}

// A seek lands within one decoder frame of the place asked for, whether it decodes up from the
// start (near it) or uses the file's own seek (further on), and a place past the end is the end.
TEST_F(ClipDecoderTest, SeeksLandWithinOneDecoderFrame) {
  constexpr int kSeconds = 180;
  constexpr int kRate = 44100;
  constexpr double kFlacFrame = 4608;  // ffmpeg's FLAC block at 44.1 kHz
  const fs::path path = dir_ / "ramp.flac";
  ASSERT_TRUE(test_support::MakeRamp(path, kSeconds, kRate));
  LONG error = -1;
  const auto stream = raengine::ClipStream::Open(path.c_str(), error);
  ASSERT_NE(stream, nullptr) << RaGetErrorText(error);
  ASSERT_EQ(stream->LengthFrames(), std::int64_t{kSeconds} * kRate);
  // One step of the ramp spans this many frames: the reading's own uncertainty.
  const double step = test_support::RampFrame(1, kSeconds, kRate);
  for (const double seconds : {0.0, 12.5, 29.99, 31.0, 90.25, 150.0, 179.5, 120.0, 3.0}) {
    const auto frame = static_cast<std::int64_t>(seconds * kRate);
    EXPECT_EQ(stream->SeekTo(frame), frame);
    std::int16_t sample = 0;
    ASSERT_EQ(stream->Read(&sample, 1), 1u) << seconds;
    EXPECT_NEAR(test_support::RampFrame(sample, kSeconds, kRate), static_cast<double>(frame),
                kFlacFrame + step)
        << "sought " << seconds << " s";
  }
  EXPECT_EQ(stream->SeekTo(std::int64_t{kSeconds + 10} * kRate), stream->LengthFrames());
  std::int16_t sample = 0;
  EXPECT_EQ(stream->Read(&sample, 1), 0u) << "nothing after the end";
}

}  // namespace
