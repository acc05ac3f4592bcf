#include "tests/effects/effect_run.h"

#include <cstdio>
#include <sstream>

#include <gtest/gtest.h>

#include "effects/engine.h"
#include "effects/pace_observer.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/headless/headless.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace effect_run {
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

std::string Describe(const SweepRun& run, const trace::EffectTraceOptions& options) {
  std::ostringstream text;
  text << run.routine.name << " " << run.width << "x" << run.height << " grain " << run.grain
       << " at " << options.targetX << "," << options.targetY << " in " << options.windowWidth
       << "x" << options.windowHeight;
  return text.str();
}

}  // namespace

Trace RunTrace(const trace::EffectTraceOptions& options) {
  Trace run;
  std::FILE* file = std::tmpfile();
  EXPECT_NE(file, nullptr);
  if (file == nullptr) return run;
  trace::TraceEffect(options, file);
  run.polls = headless::PollCount();
  run.text.resize(static_cast<std::size_t>(std::ftell(file)));
  std::rewind(file);
  EXPECT_EQ(std::fread(run.text.data(), 1, run.text.size(), file), run.text.size());
  std::fclose(file);

  std::istringstream stream(run.text);
  for (std::string line; std::getline(stream, line);) {
    if (line.rfind("diff ", 0) == 0) {
      run.diff = std::stoll(line.substr(5));
      continue;
    }
    if (line == "pace") {
      ++run.paces;
    } else {
      run.copies.push_back(line);
    }
    run.lines.push_back(line);
  }
  return run;
}

std::string CopiesOf(int effect, int direction, int width, int height, int grain) {
  const Trace run = RunTrace(Options(effect, direction, width, height, grain));
  EXPECT_EQ(run.diff, 0);
  return Joined(run);
}

std::string Joined(const Trace& run) {
  return Lines(run.lines);
}

std::vector<std::vector<std::string>> CopiesByStep(const Trace& run) {
  std::vector<std::vector<std::string>> steps(1);
  for (const std::string& line : run.lines) {
    if (line == "pace") {
      steps.emplace_back();
    } else {
      steps.back().push_back(line);
    }
  }
  steps.pop_back();
  return steps;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string EachPaced(const std::vector<std::string>& copies) {
  std::string text;
  for (const std::string& copy : copies) text += copy + "\npace\n";
  return text;
}

std::string Blt(int x, int y, int width, int height, int sourceX, int sourceY) {
  char line[96];
  std::snprintf(line, sizeof line, "blt %d %d %d %d %d %d\n", x, y, width, height, sourceX,
                sourceY);
  return line;
}

Screen RunOnScreen(const Stage& stage) {
  Screen screen;
  screen.width = stage.windowWidth > 0 ? stage.windowWidth : stage.width;
  screen.height = stage.windowHeight > 0 ? stage.windowHeight : stage.height;
  headless::Install(screen.width, screen.height);
  headless::AdvanceClock(stage.clock);

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "EffectRunWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "EffectRunWindow", "run", WS_POPUP | WS_VISIBLE, 0,
                                0, screen.width, screen.height, nullptr, nullptr, nullptr, nullptr);
  HDC windowDc = GetDC(window);
  const RECT client = {0, 0, screen.width, screen.height};
  FillRect(windowDc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  {
    const gdi_test::BitmapDc picture(gdi_test::MakePatternBitmap(stage.width, stage.height, 0));
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
  EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});
  return screen;
}

int WrongPixels(const Screen& screen, const std::function<std::uint32_t(int x, int y)>& expected) {
  int wrong = 0;
  for (int y = 0; y < screen.height; ++y) {
    for (int x = 0; x < screen.width; ++x) {
      const std::uint32_t want = expected(x, y);
      if (screen.at(x, y) != want && ++wrong <= 5) {
        ADD_FAILURE() << "window pixel (" << x << ", " << y << ") is " << screen.at(x, y)
                      << ", expected " << want;
      }
    }
  }
  return wrong;
}

int WrongPixels(const Screen& screen, const Stage& stage, const Shown& shown) {
  return WrongPixels(screen, [&](int x, int y) -> std::uint32_t {
    const int px = x - stage.targetX;
    const int py = y - stage.targetY;
    if (px < 0 || px >= stage.width || py < 0 || py >= stage.height) return 0;
    const SourcePoint source = shown(px, py);
    return source ? PicturePixel(stage, source->first, source->second) : 0;
  });
}

void ExpectEveryRunFinishesThePicture(const Sweep& sweep) {
  for (const Routine& routine : sweep.routines) {
    for (const auto& [width, height] : sweep.sizes) {
      for (const int grain : sweep.grains) {
        const SweepRun run{routine, width, height, grain};
        trace::EffectTraceOptions framed =
            Options(routine.effect, routine.direction, width, height, grain);
        framed.clock = sweep.clock ? sweep.clock(run) : 0;
        for (const trace::EffectTraceOptions& options : InsideAndCut(framed)) {
          SCOPED_TRACE(Describe(run, options));
          const Trace traced = RunTrace(options);
          EXPECT_EQ(traced.diff, 0);
          EXPECT_EQ(traced.lines.empty() ? "" : traced.lines.back(), "pace");
          if (sweep.paces) {
            if (const std::optional<int> paces = sweep.paces(run, traced)) {
              EXPECT_EQ(traced.paces, *paces);
            }
          }
          // One failing run says what is wrong; thousands more would only bury it.
          if (testing::Test::HasFailure()) return;
        }
      }
    }
  }
}

Screen ExpectInputLeaves(const Stage& stage, const Shown& shown) {
  SCOPED_TRACE(testing::Message() << "effect " << stage.effect << " direction " << stage.direction
                                  << " " << stage.width << "x" << stage.height << " grain "
                                  << stage.grain << ", input at step " << stage.abortAfter);
  Screen screen = RunOnScreen(stage);
  EXPECT_EQ(screen.paces, stage.abortAfter);
  EXPECT_FALSE(screen.objectsLeft);
  EXPECT_EQ(WrongPixels(screen, stage, shown), 0);

  trace::EffectTraceOptions options =
      Options(stage.effect, stage.direction, stage.width, stage.height, stage.grain);
  options.targetX = stage.targetX;
  options.targetY = stage.targetY;
  options.windowWidth = stage.windowWidth;
  options.windowHeight = stage.windowHeight;
  options.clock = stage.clock;
  options.abortAfter = stage.abortAfter;
  const Trace traced = RunTrace(options);
  EXPECT_EQ(traced.paces, stage.abortAfter);
  EXPECT_EQ(traced.lines.empty() ? "" : traced.lines.back(), "pace");
  return screen;
}

void ExpectInputLeaves(const AbortCase& c, const Placement& where) {
  SCOPED_TRACE(c.routine.name);
  ExpectInputLeaves({.effect = c.routine.effect,
                     .direction = c.routine.direction,
                     .width = c.width,
                     .height = c.height,
                     .grain = c.grain,
                     .targetX = where.targetX,
                     .targetY = where.targetY,
                     .windowWidth = where.windowWidth,
                     .windowHeight = where.windowHeight,
                     .abortAfter = c.abortAfter},
                    c.shown);
}

void ExpectInputLeavesBordered(const AbortCase& c) {
  ExpectInputLeaves(
      c, {.targetX = 2, .targetY = 1, .windowWidth = c.width + 4, .windowHeight = c.height + 2});
}

}  // namespace effect_run
