// PaceStep: how many input polls one step burns, and that it stops at the first poll that sees
// input, leaving the input queued.
#include <cstdint>

#include "effects/pace_observer.h"
#include "tests/effects/effects_test_support.h"

namespace {

class PaceStepTest : public EngineTest {
 protected:
  // Polls one PaceStep makes, and its result.
  std::uint64_t PollsOfOneStep(int* result) {
    const std::uint64_t before = headless::PollCount();
    *result = PaceStep();
    return headless::PollCount() - before;
  }
};

TEST_F(PaceStepTest, BurnsPaceUnitsTimesOnePlusAHundredTimesTheDelayFactor) {
  struct Case {
    int paceUnits;
    int delayFactor;
    std::uint64_t polls;
  };
  for (const Case& step : {Case{1, 1, 101}, Case{150, 10, 150150}, Case{50, 5, 25050},
                           Case{3, 0, 3}, Case{2, -4, 2}, Case{0, 5, 0}, Case{-3, 5, 0}}) {
    SCOPED_TRACE(testing::Message() << step.paceUnits << " units, factor " << step.delayFactor);
    TransitionContext.PaceUnits = step.paceUnits;
    TransitionContext.DelayFactor = step.delayFactor;
    int result = -1;
    EXPECT_EQ(PollsOfOneStep(&result), step.polls);
    EXPECT_EQ(result, 0);
  }
}

TEST_F(PaceStepTest, ReturnsOneAtTheFirstPollThatSeesInputAndLeavesItQueued) {
  TransitionContext.PaceUnits = 3;
  TransitionContext.DelayFactor = 1;  // 101 polls a unit
  struct Case {
    UINT message;
    std::uint64_t atPoll;  // counted from the step's first poll
  };
  // The first poll, the first of the extra polls, the start of the second unit, the very last.
  for (const Case& input : {Case{WM_KEYDOWN, 1}, Case{WM_MOUSEMOVE, 2}, Case{WM_LBUTTONDOWN, 102},
                            Case{WM_KEYDOWN, 303}}) {
    SCOPED_TRACE(input.atPoll);
    headless::ScriptInput(window_, input.message, 0, 0, headless::PollCount() + input.atPoll);
    int result = -1;
    EXPECT_EQ(PollsOfOneStep(&result), input.atPoll);
    EXPECT_EQ(result, 1);

    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, input.message);
  }
}

TEST_F(PaceStepTest, InputAfterTheLastPollIsLeftForTheNextStep) {
  TransitionContext.PaceUnits = 1;
  TransitionContext.DelayFactor = 1;
  headless::ScriptInput(window_, WM_KEYDOWN, 'K', 0, headless::PollCount() + 102);
  int result = -1;
  EXPECT_EQ(PollsOfOneStep(&result), 101U);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(PollsOfOneStep(&result), 1U);
  EXPECT_EQ(result, 1);
}

int ObservedSteps = 0;
std::uint64_t PollsAtObservation = 0;
void ObserveStep() {
  ++ObservedSteps;
  PollsAtObservation = headless::PollCount();
}

TEST_F(PaceStepTest, TheObserverSeesEveryStepBeforeItsFirstPoll) {
  PaceObserver = ObserveStep;
  ObservedSteps = 0;
  TransitionContext.PaceUnits = 0;
  PaceStep();
  TransitionContext.PaceUnits = 2;
  const std::uint64_t before = headless::PollCount();
  EXPECT_EQ(PaceStep(), 0);
  PaceObserver = nullptr;
  EXPECT_EQ(ObservedSteps, 2);
  EXPECT_EQ(PollsAtObservation, before);
}

}  // namespace
