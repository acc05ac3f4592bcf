// The configuration dialog's thumbnail of a 6000 x 4000 JPEG: from the user selecting the
// picture to its pixels in the thumbnail control, through the real picture module (beside the
// program, as installed) and the real dialog on the headless backend. Prints the median.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "platform/headless/headless.h"
#include "platform/user/dialog_controls.h"
#include "platform/win32.h"
#include "resources/resource.h"
#include "saver/host.h"
#include "settings/settings.h"

namespace {

constexpr int kRuns = 9;
constexpr std::uint32_t kDialogFace = 0x00F0F0F0;

using Clock = std::chrono::steady_clock;

}  // namespace

int main() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("bench-thumbnail-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  const std::string big = (folder / "big.jpg").string();
  const std::string small = (folder / "small.jpg").string();
  if (!bench::WritePhotoJpeg(big, 6000, 4000) || !bench::WritePhotoJpeg(small, 64, 48)) {
    std::fprintf(stderr, "bench_thumbnail: cjpeg failed (install libjpeg-turbo-progs)\n");
    return 1;
  }
  headless::Install(1920, 1080);
  WriteSetting(nullptr, "Settings", "ImagePreview", "1");
  WriteSetting(nullptr, "The Gig", "P0", small.c_str());
  WriteSetting(nullptr, "The Gig", "P1", big.c_str());
  WriteSetting(nullptr, "The Gig", "Images", "2");

  // Idle moments of the dialog: the first tick draws the small picture; then the big one is
  // selected and timed until the dialog is idle again, and the small one put back, in turn.
  std::vector<double> times;
  Clock::time_point selected;
  bool timing = false;
  bool drawn = true;
  bool ticked = false;
  headless::SetDialogDriver([&] {
    HWND dialog = platform::TopDialog();
    if (!ticked) {
      ticked = true;
      headless::AdvanceClock(50);
      return true;
    }
    if (timing) {
      times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - selected).count());
      HWND thumbnail = GetDlgItem(dialog, IDC_THUMBNAIL);
      drawn = drawn && headless::WindowPixel(thumbnail, 20, 20) != kDialogFace;
      timing = false;
      return headless::PickEntry(IDC_PICTURE_LIST, 0) && static_cast<int>(times.size()) < kRuns;
    }
    timing = true;
    selected = Clock::now();
    return headless::PickEntry(IDC_PICTURE_LIST, 1);
  });
  ScreenSaverMain(GetModuleHandle(nullptr), "tavrin /c");
  headless::SetDialogDriver(nullptr);
  std::filesystem::remove_all(folder);

  if (static_cast<int>(times.size()) < kRuns || !drawn) {
    std::fprintf(stderr,
                 "bench_thumbnail: the thumbnail was not drawn (is libnviewlib.so beside "
                 "the program?)\n");
    return 1;
  }
  std::sort(times.begin(), times.end());
  std::printf("Thumbnail of a 6000x4000 JPEG, selection to pixels, median of %d: %.1f ms\n", kRuns,
              times[times.size() / 2]);
  return 0;
}
