// BitBlt from a memory DC into the full-screen window's DC, present included, on the X11
// backend with a 1920x1080 screen, beside a plain memcpy of the same pixels.
//   BM_WindowBlit/W/H/shm      as an effect sees it: the copy is on its way (flushed), the
//                              server draws it behind us
//   BM_WindowBlitSynced/W/H/shm  plus a round trip per copy: what the server's part costs
//   BM_Memcpy/W/H              the same bytes, row by row, in client memory
// shm 1: MIT-SHM; 0: XPutImage through the socket (TAVRIN_NO_SHM=1).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/backend.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/user/window_system.h"
#include "platform/win32.h"
#include "platform/x11/x11_backend.h"

namespace {

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// The saver's window with a picture in a memory DC, for one benchmark run.
class BlitScene {
 public:
  explicit BlitScene(bool sharedMemory) {
    if (sharedMemory) {
      unsetenv("TAVRIN_NO_SHM");
    } else {
      setenv("TAVRIN_NO_SHM", "1", 1);
    }
    platform::ResetWindowSystem();
    platform::gdi::ResetGdi();
    ready_ = platform::x11::Install();
    unsetenv("TAVRIN_NO_SHM");
    if (!ready_) return;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PlainProcedure;
    windowClass.lpszClassName = "BenchSaver";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(WS_EX_TOPMOST, "BenchSaver", "Screen Saver", WS_POPUP | WS_VISIBLE, 0,
                              0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                              nullptr, nullptr, nullptr, nullptr);
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    windowDc_ = GetDC(window_);
    memoryDc_ = CreateCompatibleDC(windowDc_);
    picture_ = CreateCompatibleBitmap(windowDc_, 1920, 1080);
    previous_ = SelectObject(memoryDc_, picture_);
    const RECT all{0, 0, 1920, 1080};
    FillRect(memoryDc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~BlitScene() {
    if (ready_) {
      SelectObject(memoryDc_, previous_);
      DeleteObject(picture_);
      DeleteDC(memoryDc_);
      ReleaseDC(window_, windowDc_);
      DestroyWindow(window_);
      platform::ResetWindowSystem();
    }
    platform::InstallBackend(nullptr);
  }
  BlitScene(const BlitScene&) = delete;
  BlitScene& operator=(const BlitScene&) = delete;

  bool Ready() const { return ready_ && window_ != nullptr; }
  bool ScreenIs1920x1080() const {
    return GetSystemMetrics(SM_CXSCREEN) == 1920 && GetSystemMetrics(SM_CYSCREEN) == 1080;
  }
  void Copy(int width, int height) {
    BitBlt(windowDc_, 0, 0, width, height, memoryDc_, 0, 0, SRCCOPY);
  }
  static void RoundTrip() {
    POINT ignored{};
    GetCursorPos(&ignored);  // answered after every earlier request has been drawn
  }

 private:
  bool ready_ = false;
  HWND window_ = nullptr;
  HDC windowDc_ = nullptr;
  HDC memoryDc_ = nullptr;
  HBITMAP picture_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

void RunBlit(benchmark::State& state, bool synced) {
  const auto width = static_cast<int>(state.range(0));
  const auto height = static_cast<int>(state.range(1));
  BlitScene scene(state.range(2) != 0);
  if (!scene.Ready()) {
    state.SkipWithError("no X display (run under bench/run-benchmarks)");
    return;
  }
  if (!scene.ScreenIs1920x1080()) {
    state.SkipWithError("the screen must be 1920x1080 (bench/run-benchmarks starts one)");
    return;
  }
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    scene.Copy(width, height);
    if (synced) BlitScene::RoundTrip();
  }
  BlitScene::RoundTrip();
  state.SetBytesProcessed(state.iterations() * width * height * 4);
}

void BM_WindowBlit(benchmark::State& state) {
  RunBlit(state, false);
}
void BM_WindowBlitSynced(benchmark::State& state) {
  RunBlit(state, true);
}

void BM_Memcpy(benchmark::State& state) {
  const auto width = static_cast<std::size_t>(state.range(0));
  const auto height = static_cast<std::size_t>(state.range(1));
  constexpr std::size_t kStride = 1920;
  std::vector<std::uint32_t> source(kStride * 1080, 0xFFFFFF);
  std::vector<std::uint32_t> destination(kStride * 1080, 0);
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    for (std::size_t row = 0; row < height; ++row) {
      std::memcpy(&destination[row * kStride], &source[row * kStride], width * 4);
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * width * height * 4));
}

void Sizes(benchmark::internal::Benchmark* benchmark, bool withShm) {
  for (const auto& [width, height] : {std::pair{4, 4}, {64, 64}, {1920, 4}, {1920, 1080}}) {
    if (withShm) {
      benchmark->Args({width, height, 1});
      benchmark->Args({width, height, 0});
    } else {
      benchmark->Args({width, height});
    }
  }
}

BENCHMARK(BM_WindowBlit)->Apply([](auto* b) { Sizes(b, true); }) -> ArgNames({"w", "h", "shm"});
BENCHMARK(BM_WindowBlitSynced)
    ->Apply([](auto* b) { Sizes(b, true); }) -> ArgNames({"w", "h", "shm"});
BENCHMARK(BM_Memcpy)->Apply([](auto* b) { Sizes(b, false); }) -> ArgNames({"w", "h"});

}  // namespace

BENCHMARK_MAIN();
