#include "tests/effects/routine_run.h"

#include <cstdio>
#include <memory>
#include <sstream>

#include <gtest/gtest.h>

#include "effects/engine.h"
#include "effects/pace_observer.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/headless/headless.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace routine_run {
namespace {

struct AbortWatch {
  HWND window = nullptr;
  int abortAfter = 0;
  int paces = 0;
};
AbortWatch Watch;

void CountAndMaybeAbort() {
  ++Watch.paces;
  if (Watch.paces == Watch.abortAfter) headless::ScriptInput(Watch.window, WM_KEYDOWN, ' ', 0);
}

}  // namespace

Trace RunTrace(const trace::EffectTraceOptions& options) {
  std::FILE* file = std::tmpfile();
  EXPECT_NE(file, nullptr);
  trace::TraceEffect(options, file);
  std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  EXPECT_EQ(std::fread(text.data(), 1, text.size(), file), text.size());
  std::fclose(file);

  Trace run;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (line.rfind("diff ", 0) == 0) {
      run.diff = std::stoll(line.substr(5));
      continue;
    }
    if (line == "pace") ++run.paces;
    run.lines.push_back(line);
  }
  return run;
}

std::string Joined(const Trace& run) {
  std::string text;
  for (const std::string& line : run.lines) text += line + "\n";
  return text;
}

Screen RunOnScreen(const Stage& stage) {
  Screen screen;
  screen.width = stage.windowWidth > 0 ? stage.windowWidth : stage.width;
  screen.height = stage.windowHeight > 0 ? stage.windowHeight : stage.height;
  headless::Install(screen.width, screen.height);
  headless::AdvanceClock(stage.clock);

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "RoutineRunWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "RoutineRunWindow", "run", WS_POPUP | WS_VISIBLE, 0,
                                0, screen.width, screen.height, nullptr, nullptr, nullptr, nullptr);
  HDC windowDc = GetDC(window);
  const RECT client = {0, 0, screen.width, screen.height};
  FillRect(windowDc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  {
    gdi_test::BitmapDc picture(gdi_test::MakePatternBitmap(stage.width, stage.height, 0));
    TransitionContext = {};
    TransitionContext.Effect = stage.effect;
    TransitionContext.EffectDir = stage.direction;
    TransitionContext.TargetX = stage.targetX;
    TransitionContext.TargetY = stage.targetY;
    TransitionContext.TargetWidth = stage.width;
    TransitionContext.TargetHeight = stage.height;
    TransitionContext.GrainSize = stage.grain;
    TransitionContext.DelayFactor = stage.delayFactor;
    TransitionContext.DestDC = windowDc;
    TransitionContext.SourceDC = picture.dc();

    const platform::gdi::LiveObjects before = platform::gdi::CountLiveObjects();
    Watch = AbortWatch{window, stage.abortAfter, 0};
    PaceObserver = CountAndMaybeAbort;
    const std::uint64_t pollsBefore = headless::PollCount();
    RunTransition();
    screen.polls = headless::PollCount() - pollsBefore;
    PaceObserver = nullptr;
    screen.paces = Watch.paces;
    screen.objectsLeft = !(platform::gdi::CountLiveObjects() == before);
  }
  screen.pixels.reserve(static_cast<std::size_t>(screen.width) * screen.height);
  for (int y = 0; y < screen.height; ++y) {
    for (int x = 0; x < screen.width; ++x)
      screen.pixels.push_back(headless::WindowPixel(window, x, y));
  }
  TransitionContext = {};
  ReleaseDC(window, windowDc);
  DestroyWindow(window);
  return screen;
}

}  // namespace routine_run
