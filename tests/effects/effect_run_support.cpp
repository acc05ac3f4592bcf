#include "tests/effects/effect_run_support.h"

#include <cstdio>
#include <sstream>

#include <gtest/gtest.h>

#include "effects/engine.h"
#include "effects/pace_observer.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/headless/headless.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace effect_run {

Traced Trace(const trace::EffectTraceOptions& options) {
  std::FILE* file = std::tmpfile();
  EXPECT_NE(file, nullptr);
  Traced traced;
  if (file == nullptr) return traced;
  trace::TraceEffect(options, file);
  traced.polls = headless::PollCount();
  traced.text.resize(static_cast<std::size_t>(std::ftell(file)));
  std::rewind(file);
  EXPECT_EQ(std::fread(traced.text.data(), 1, traced.text.size(), file), traced.text.size());
  std::fclose(file);

  std::istringstream lines(traced.text);
  for (std::string line; std::getline(lines, line);) {
    if (line == "pace") {
      ++traced.paceSteps;
    } else if (line.rfind("diff ", 0) == 0) {
      traced.diff = std::stoll(line.substr(5));
    } else {
      traced.copies.push_back(line);
    }
  }
  return traced;
}

std::string EachPaced(const std::vector<std::string>& copies) {
  std::string text;
  for (const std::string& copy : copies) text += copy + "\npace\n";
  return text;
}

namespace {

struct AbortWatch {
  HWND window = nullptr;
  int abortAfter = 0;
  int steps = 0;
};
AbortWatch Watch;

void OnPaceStep() {
  ++Watch.steps;
  if (Watch.steps == Watch.abortAfter) headless::ScriptInput(Watch.window, WM_KEYDOWN, ' ', 0);
}

}  // namespace

int RunAndCheckScreen(const AbortRun& run,
                      const std::function<SourcePoint(int x, int y)>& expected) {
  const int windowWidth = run.windowWidth > 0 ? run.windowWidth : run.width;
  const int windowHeight = run.windowHeight > 0 ? run.windowHeight : run.height;
  headless::Install(windowWidth, windowHeight);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "EffectRunWindow";
  RegisterClassA(&windowClass);
  HWND window =
      CreateWindowExA(WS_EX_TOPMOST, "EffectRunWindow", "effect", WS_POPUP | WS_VISIBLE, 0, 0,
                      windowWidth, windowHeight, nullptr, nullptr, nullptr, nullptr);
  HDC windowDc = GetDC(window);
  const RECT client = {0, 0, windowWidth, windowHeight};
  FillRect(windowDc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  {
    // Picture pixel (x, y) is y * width + x + 1: never black, all distinct.
    const gdi_test::BitmapDc picture(gdi_test::MakePatternBitmap(run.width, run.height, 0));
    TransitionContext = {};
    TransitionContext.Effect = run.effect;
    TransitionContext.EffectDir = run.direction;
    TransitionContext.TargetX = run.targetX;
    TransitionContext.TargetY = run.targetY;
    TransitionContext.TargetWidth = run.width;
    TransitionContext.TargetHeight = run.height;
    TransitionContext.GrainSize = run.grain;
    TransitionContext.DelayFactor = 0;  // cheap polls: only the abort point matters here
    TransitionContext.DestDC = windowDc;
    TransitionContext.SourceDC = picture.dc();
    Watch = AbortWatch{window, run.abortAfter, 0};
    PaceObserver = OnPaceStep;
    RunTransition();
    PaceObserver = nullptr;
  }
  ReleaseDC(window, windowDc);
  TransitionContext = {};

  int wrong = 0;
  for (int y = 0; y < windowHeight; ++y) {
    for (int x = 0; x < windowWidth; ++x) {
      const SourcePoint source = expected(x, y);
      const std::uint32_t want =
          source ? static_cast<std::uint32_t>(source->second * run.width + source->first + 1) : 0;
      const std::uint32_t got = headless::WindowPixel(window, x, y);
      if (got != want && ++wrong <= 5) {
        ADD_FAILURE() << "window pixel (" << x << ", " << y << ") is " << got << ", expected "
                      << want;
      }
    }
  }
  EXPECT_EQ(wrong, 0) << "window pixels wrong";
  DestroyWindow(window);
  EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});
  return Watch.steps;
}

}  // namespace effect_run
