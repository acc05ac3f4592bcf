#include "tools/tavrin-trace/effect_trace.h"

#include <cinttypes>
#include <cstddef>
#include <vector>

#include "effects/engine.h"
#include "effects/pace_observer.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/headless/headless.h"
#include "platform/resources.h"

namespace trace {
namespace {

constexpr const char* WindowClassName = "TavrinTraceWindow";
constexpr const char* PictureResourceName = "TAVRIN_TRACE_PICTURE";

// What the pace observer needs: a plain function pointer cannot carry it.
struct PaceWatch {
  std::FILE* out = nullptr;
  HWND window = nullptr;
  int abortAfter = 0;
  int steps = 0;
};
PaceWatch Watch;

// The picture's file bytes stay alive while the resource table points at them.
std::vector<unsigned char> PictureBytes;

void OnPaceStep() {
  std::fputs("pace\n", Watch.out);
  ++Watch.steps;
  // Visible to this step's first poll, as a key pressed just before it.
  if (Watch.steps == Watch.abortAfter) {
    headless::ScriptInput(Watch.window, WM_KEYDOWN, ' ', 0);
  }
}

void PutLe(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// The picture as a top-down 32-bit .bmp file, which LoadBitmap turns into a bitmap of the GDI.
std::vector<unsigned char> PictureFile(int width, int height) {
  constexpr std::size_t HeadersSize = 14 + 40;
  const std::size_t pixelCount = static_cast<std::size_t>(width) * height;
  std::vector<unsigned char> file(HeadersSize + pixelCount * 4);
  file[0] = 'B';
  file[1] = 'M';
  PutLe(file, 2, static_cast<std::uint32_t>(file.size()), 4);
  PutLe(file, 10, HeadersSize, 4);
  PutLe(file, 14, 40, 4);
  PutLe(file, 18, static_cast<std::uint32_t>(width), 4);
  PutLe(file, 22, static_cast<std::uint32_t>(-height), 4);  // negative: top row first
  PutLe(file, 26, 1, 2);
  PutLe(file, 28, 32, 2);
  for (std::size_t i = 0; i < pixelCount; ++i) {
    PutLe(file, HeadersSize + i * 4, TestPicturePixel(static_cast<std::int64_t>(i)), 4);
  }
  return file;
}

void PrintCopy(std::FILE* out, const platform::gdi::CopyCall& copy) {
  if (copy.stretch) {
    std::fprintf(out, "stretch %d %d %d %d %d %d %d %d\n", copy.x, copy.y, copy.width, copy.height,
                 copy.sourceX, copy.sourceY, copy.sourceWidth, copy.sourceHeight);
  } else {
    std::fprintf(out, "blt %d %d %d %d %d %d\n", copy.x, copy.y, copy.width, copy.height,
                 copy.sourceX, copy.sourceY);
  }
}

std::int64_t CountDifferences(HWND window, const EffectTraceOptions& options, int windowWidth,
                              int windowHeight) {
  std::int64_t differences = 0;
  for (int row = 0; row < options.height; ++row) {
    const std::int64_t y = std::int64_t{options.targetY} + row;
    if (y < 0 || y >= windowHeight) continue;
    for (int column = 0; column < options.width; ++column) {
      const std::int64_t x = std::int64_t{options.targetX} + column;
      if (x < 0 || x >= windowWidth) continue;
      const std::uint32_t expected = TestPicturePixel(std::int64_t{row} * options.width + column);
      if (headless::WindowPixel(window, static_cast<int>(x), static_cast<int>(y)) != expected) {
        ++differences;
      }
    }
  }
  return differences;
}

}  // namespace

std::uint32_t TestPicturePixel(std::int64_t index) {
  // An odd multiplier permutes the 24-bit colours and keeps black for index -1 alone, while
  // neighbouring pixels get clearly different colours.
  return static_cast<std::uint32_t>((index + 1) * 0x9E3779) & 0xFFFFFFU;
}

void TraceEffect(const EffectTraceOptions& options, std::FILE* out) {
  const int windowWidth = options.windowWidth > 0 ? options.windowWidth : options.width;
  const int windowHeight = options.windowHeight > 0 ? options.windowHeight : options.height;

  headless::Install(windowWidth, windowHeight);
  headless::AdvanceClock(options.clock);

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = WindowClassName;
  RegisterClassA(&windowClass);
  // Full screen, as the saver's own window: effects that draw on the screen land in it too.
  HWND window =
      CreateWindowExA(WS_EX_TOPMOST, WindowClassName, "tavrin-trace", WS_POPUP | WS_VISIBLE, 0, 0,
                      windowWidth, windowHeight, nullptr, nullptr, nullptr, nullptr);
  HDC windowDc = GetDC(window);
  const RECT client = {0, 0, windowWidth, windowHeight};
  FillRect(windowDc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

  PictureBytes = PictureFile(options.width, options.height);
  platform::RegisterResource({platform::ResourceType::Bitmap, PictureResourceName, 0,
                              PictureBytes.data(), PictureBytes.size()});
  HBITMAP picture = LoadBitmapA(nullptr, PictureResourceName);
  HDC pictureDc = CreateCompatibleDC(windowDc);
  HGDIOBJ previousBitmap = SelectObject(pictureDc, picture);

  TransitionContext.Effect = options.effect;
  TransitionContext.EffectDir = options.direction;
  TransitionContext.TargetX = options.targetX;
  TransitionContext.TargetY = options.targetY;
  TransitionContext.TargetWidth = options.width;
  TransitionContext.TargetHeight = options.height;
  TransitionContext.GrainSize = options.grain;
  TransitionContext.DelayFactor = options.delayFactor;
  TransitionContext.DestDC = windowDc;
  TransitionContext.SourceDC = pictureDc;

  Watch = PaceWatch{out, window, options.abortAfter, 0};
  PaceObserver = OnPaceStep;
  platform::gdi::SetCopyObserver(
      [out](const platform::gdi::CopyCall& copy) { PrintCopy(out, copy); });
  RunTransition();
  platform::gdi::SetCopyObserver({});
  PaceObserver = nullptr;

  std::fprintf(out, "diff %" PRId64 "\n",
               CountDifferences(window, options, windowWidth, windowHeight));

  SelectObject(pictureDc, previousBitmap);
  DeleteDC(pictureDc);
  DeleteObject(picture);
  ReleaseDC(window, windowDc);
  DestroyWindow(window);
}

}  // namespace trace
