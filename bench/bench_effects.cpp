// Every effect at the default settings (grain 4, DelayFactor 5) bringing a 1280x960 picture
// onto a 1920x1080 window: the time per step, the share of it spent drawing rather than
// polling, and the whole transition's length worked out from its step count.
//   bench_effects [STEPS]   measures the first STEPS steps (default 100) of each effect
// On the X11 backend ($DISPLAY, as bench/run-benchmarks gives it) presents count; without a
// display it falls back to the headless backend, where presenting is free.
//
// Each effect runs twice. Paced: as the saver runs it, timed over the first STEPS steps; from
// then on it is unpaced, which counts the remaining steps cheaply. Unpaced from the start:
// the drawing alone, over the same steps and to the end. Hence
//   step = paced time / STEPS, drawing share = unpaced time / paced time (same steps),
//   whole = (paced - unpaced) / STEPS x all steps + unpaced time to the end.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "effects/engine.h"
#include "effects/pace_observer.h"
#include "platform/backend.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/headless/headless.h"
#include "platform/user/window_system.h"
#include "platform/win32.h"
#include "platform/x11/x11_backend.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int WindowWidth = 1920;
constexpr int WindowHeight = 1080;
constexpr int PictureWidth = 1280;
constexpr int PictureHeight = 960;
constexpr int DefaultGrain = 4;
constexpr int DefaultDelayFactor = 5;

// One row per effect measured, with a direction code it has; later effects join by a row.
struct BenchedEffect {
  int effect;
  int direction;
};
constexpr BenchedEffect Effects[] = {
    {1, 2},  {2, 2},  {3, 10}, {4, 8},  {5, 2},  {6, 0},  {7, 2},  {8, 2},  {9, 2},  {10, 2},
    {11, 2}, {12, 2}, {13, 2}, {14, 2}, {15, 2}, {16, 0}, {17, 0}, {18, 8}, {19, 2},
};

// Follows one run through the pace observer: the moment step `measured` ends, and the count
// of all steps. With `unpaced`, or once the measured steps are done, it sets the pace units to
// 0 so that the rest of the run only draws.
struct Run {
  int measured = 0;
  bool unpaced = false;
  int steps = 0;
  Clock::time_point start;
  Clock::time_point measuredEnd;
  bool measuredDone = false;
};
Run Current;

void OnPaceStep() {
  // Called at the start of step k + 1's PaceStep: steps 1..k are wholly behind us, and step
  // k + 1's copies (one step's drawing, a small bias shared by both runs).
  if (Current.steps == Current.measured && !Current.measuredDone) {
    Current.measuredEnd = Clock::now();
    Current.measuredDone = true;
  }
  ++Current.steps;
  if (Current.unpaced || Current.measuredDone) TransitionContext.PaceUnits = 0;
}

struct Timing {
  int steps = 0;          // the whole transition's
  int measuredSteps = 0;  // what `measured` covers
  double measured = 0;    // seconds over the measured steps
  double whole = 0;       // seconds of the whole run
};

double Seconds(Clock::duration span) {
  return std::chrono::duration<double>(span).count();
}

Timing TimeOneRun(const BenchedEffect& row, int measuredSteps, bool unpaced, HDC windowDc,
                  HDC pictureDc) {
  const RECT all{0, 0, WindowWidth, WindowHeight};
  FillRect(windowDc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  TransitionContext.Effect = row.effect;
  TransitionContext.EffectDir = row.direction;
  TransitionContext.TargetWidth = PictureWidth;
  TransitionContext.TargetHeight = PictureHeight;
  TransitionContext.TargetX = (WindowWidth - PictureWidth) / 2;
  TransitionContext.TargetY = (WindowHeight - PictureHeight) / 2;
  TransitionContext.GrainSize = DefaultGrain;
  TransitionContext.DelayFactor = DefaultDelayFactor;
  TransitionContext.DestDC = windowDc;
  TransitionContext.SourceDC = pictureDc;

  Current = Run{};
  Current.measured = measuredSteps;
  Current.unpaced = unpaced;
  PaceObserver = OnPaceStep;
  Current.start = Clock::now();
  RunTransition();
  const Clock::time_point end = Clock::now();
  PaceObserver = nullptr;

  Timing timing;
  timing.steps = Current.steps;
  timing.measuredSteps = Current.measuredDone ? measuredSteps : Current.steps;
  timing.measured = Seconds((Current.measuredDone ? Current.measuredEnd : end) - Current.start);
  timing.whole = Seconds(end - Current.start);
  return timing;
}

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

void PrintDuration(double seconds) {
  if (seconds < 120) {
    std::printf("%10.1f s", seconds);
  } else {
    std::printf("%8.1f min", seconds / 60);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int measuredSteps = argc > 1 ? std::atoi(argv[1]) : 100;
  if (measuredSteps < 1) {
    std::fprintf(stderr, "bench_effects: STEPS must be at least 1\n");
    return 2;
  }
  const bool onX11 = platform::x11::Install();
  if (!onX11) headless::Install(WindowWidth, WindowHeight);

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = PlainProcedure;
  windowClass.lpszClassName = "BenchEffects";
  RegisterClassA(&windowClass);
  HWND window =
      CreateWindowExA(WS_EX_TOPMOST, "BenchEffects", "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0,
                      WindowWidth, WindowHeight, nullptr, nullptr, nullptr, nullptr);
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  HDC windowDc = GetDC(window);
  HDC pictureDc = CreateCompatibleDC(windowDc);
  HBITMAP picture = CreateCompatibleBitmap(windowDc, PictureWidth, PictureHeight);
  HGDIOBJ previous = SelectObject(pictureDc, picture);
  const RECT pictureRect{0, 0, PictureWidth, PictureHeight};
  FillRect(pictureDc, &pictureRect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

  std::printf(
      "effects: %dx%d picture on a %dx%d window (%s), grain %d, DelayFactor %d,\n"
      "first %d steps measured%s\n",
      PictureWidth, PictureHeight, WindowWidth, WindowHeight,
      onX11 ? "X11, presents counted" : "headless: presents are free", DefaultGrain,
      DefaultDelayFactor, measuredSteps,
      onX11 ? "" : "; set DISPLAY (bench/run-benchmarks) for X11");
  std::printf("%-14s %4s %9s %10s %10s %9s %13s\n", "effect", "dir", "steps", "step ms", "draw ms",
              "draw %", "whole");
  for (const BenchedEffect& row : Effects) {
    const Timing paced = TimeOneRun(row, measuredSteps, false, windowDc, pictureDc);
    const Timing drawing = TimeOneRun(row, measuredSteps, true, windowDc, pictureDc);
    std::printf("%-14s %4d ", EffectTable[row.effect].Name, row.direction);
    if (paced.steps == 0) {
      std::printf("%9s  (no paced steps: not built yet)\n", "-");
      continue;
    }
    const double n = paced.measuredSteps;
    const double stepSeconds = paced.measured / n;
    const double drawSeconds = drawing.measured / n;
    const double whole = (stepSeconds - drawSeconds) * paced.steps + drawing.whole;
    std::printf("%9d %10.3f %10.4f %8.2f%% ", paced.steps, stepSeconds * 1e3, drawSeconds * 1e3,
                100.0 * drawSeconds / stepSeconds);
    PrintDuration(whole);
    std::printf("\n");
    std::fflush(stdout);
  }

  SelectObject(pictureDc, previous);
  DeleteObject(picture);
  DeleteDC(pictureDc);
  ReleaseDC(window, windowDc);
  DestroyWindow(window);
  platform::ResetWindowSystem();
  platform::InstallBackend(nullptr);
  return 0;
}
