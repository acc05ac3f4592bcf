// The cost of one input poll, GetQueueStatus(QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON): the
// unit in which every effect's pace is counted. On the X11 backend (with a full-screen window,
// as during a show) and on the headless backend, with no input arriving.
#include <benchmark/benchmark.h>

#include "platform/backend.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/headless/headless.h"
#include "platform/user/window_system.h"
#include "platform/win32.h"
#include "platform/x11/x11_backend.h"

namespace {

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateSaverWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = PlainProcedure;
  windowClass.lpszClassName = "BenchSaver";
  RegisterClassA(&windowClass);
  const HWND window =
      CreateWindowExA(WS_EX_TOPMOST, "BenchSaver", "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0,
                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                      nullptr, nullptr, nullptr);
  // Take what creation produced (exposures, focus) so that the poll meets an idle queue.
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  return window;
}

void PollLoop(benchmark::State& state) {
  DWORD seen = 0;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    seen |= GetQueueStatus(QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON);
  }
  benchmark::DoNotOptimize(seen);
  if ((seen >> 16) != 0) state.SkipWithError("input arrived during the measurement");
}

void BM_InputPollX11(benchmark::State& state) {
  platform::ResetWindowSystem();
  platform::gdi::ResetGdi();
  if (!platform::x11::Install()) {
    state.SkipWithError("no X display (run under bench/run-benchmarks)");
    return;
  }
  const HWND window = CreateSaverWindow();
  PollLoop(state);
  DestroyWindow(window);
  platform::ResetWindowSystem();
  platform::InstallBackend(nullptr);
}
BENCHMARK(BM_InputPollX11);

void BM_InputPollHeadless(benchmark::State& state) {
  headless::Install(1920, 1080);
  const HWND window = CreateSaverWindow();
  PollLoop(state);
  DestroyWindow(window);
  platform::ResetWindowSystem();
  platform::InstallBackend(nullptr);
}
BENCHMARK(BM_InputPollHeadless);

}  // namespace

BENCHMARK_MAIN();
