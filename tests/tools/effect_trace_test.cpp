// The tracer's effect command against a recording effect that draws and paces like a real one.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "effects/engine.h"
#include "effects/pace_observer.h"
#include "tests/effects/recording_routines.h"
#include "tools/tavrin-trace/effect_trace.h"

namespace {

std::string Trace(const trace::EffectTraceOptions& options) {
  std::FILE* file = std::tmpfile();
  EXPECT_NE(file, nullptr);
  trace::TraceEffect(options, file);
  std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  EXPECT_EQ(std::fread(text.data(), 1, text.size(), file), text.size());
  std::fclose(file);
  return text;
}

// A wipe to the right: one grain-wide column per step, a pace step after each, and a last
// stretched copy of the whole picture, so both kinds of line show.
void WipeThenStretch(const recording::RoutineCall& call) {
  const TransitionContextRecord& c = TransitionContext;
  for (int column = 0; column < CeilDiv(c.TargetWidth, call.grain); ++column) {
    BitBlt(c.DestDC, c.TargetX + column * call.grain, c.TargetY, call.grain, c.TargetHeight,
           c.SourceDC, column * call.grain, 0, SRCCOPY);
    if (PaceStep() != 0) return;
  }
  StretchBlt(c.DestDC, c.TargetX, c.TargetY, c.TargetWidth, c.TargetHeight, c.SourceDC, 0, 0,
             c.TargetWidth, c.TargetHeight, SRCCOPY);
}

class EffectTraceTest : public testing::Test {
 protected:
  void SetUp() override {
    recording::Reset();
    recording::Behaviour() = WipeThenStretch;
  }
  void TearDown() override { recording::Reset(); }
};

TEST_F(EffectTraceTest, PrintsEveryCopyAndPaceStepThenTheDifference) {
  trace::EffectTraceOptions options;
  options.effect = 11;
  options.direction = 2;
  options.width = 10;
  options.height = 3;
  options.grain = 4;
  options.targetX = -1;
  options.targetY = 2;
  options.windowWidth = 12;
  options.windowHeight = 4;
  EXPECT_EQ(Trace(options),
            "blt -1 2 4 3 0 0\npace\n"
            "blt 3 2 4 3 4 0\npace\n"
            "blt 7 2 4 3 8 0\npace\n"
            "stretch -1 2 10 3 0 0 10 3\n"
            "diff 0\n");
  EXPECT_EQ(PaceObserver, nullptr) << "the tracer leaves no hook behind";
}

TEST_F(EffectTraceTest, AbortAfterMakesThatPaceStepSeeInput) {
  trace::EffectTraceOptions options;
  options.effect = 11;
  options.direction = 2;
  options.width = 10;
  options.height = 3;
  options.grain = 4;
  options.abortAfter = 2;
  options.delayFactor = 10;
  // Two columns of 4 drawn out of 10: the remaining 2 x 3 pixels differ.
  EXPECT_EQ(Trace(options),
            "blt 0 0 4 3 0 0\npace\n"
            "blt 4 0 4 3 4 0\npace\n"
            "diff 6\n");
  ASSERT_EQ(recording::Calls().size(), 1U);
  EXPECT_EQ(recording::Calls()[0].name, "WipeRight");
}

TEST_F(EffectTraceTest, SetsTheContextFromTheOptionsAndTheClock) {
  trace::EffectTraceOptions options;
  options.effect = 10;
  options.direction = 1;
  options.width = 5;
  options.height = 7;
  options.grain = 3;
  options.clock = 123456;
  options.delayFactor = 0;
  recording::Behaviour() = [](const recording::RoutineCall&) {
    EXPECT_EQ(GetTickCount(), 123456U);
    EXPECT_EQ(TransitionContext.DelayFactor, 0);
    EXPECT_EQ(TransitionContext.TargetWidth, 5);
    EXPECT_EQ(TransitionContext.TargetHeight, 7);
  };
  EXPECT_EQ(Trace(options), "diff 35\n");
  ASSERT_EQ(recording::Calls().size(), 1U);
  EXPECT_EQ(recording::Calls()[0].name, "WeaveHorizontal");
  EXPECT_EQ(recording::Calls()[0].grain, 3);
}

TEST(TestPictureTest, PixelsAreNeverBlackAndAllDiffer) {
  std::vector<bool> seen(std::size_t{1} << 24);
  seen[0] = true;  // black
  for (std::int64_t index = 0; index < trace::MaxPicturePixels; ++index) {
    const std::uint32_t pixel = trace::TestPicturePixel(index);
    ASSERT_LE(pixel, 0xFFFFFFU);
    ASSERT_FALSE(seen[pixel]) << "pixel " << index;
    seen[pixel] = true;
  }
}

}  // namespace
