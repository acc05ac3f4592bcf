#include "tests/saver/saver_test_support.h"

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/headless/headless.h"
#include "platform/resources.h"
#include "platform/user/long_job.h"
#include "saver/host.h"
#include "saver/picture_library.h"
#include "saver/slide_show.h"
#include "settings/settings.h"

namespace saver_test {
namespace {

struct Picture {
  std::string resourceName;
  int asks = 0;  // of a long decode
};

// Resource bytes must outlive their registration: kept for the whole test program.
std::map<std::string, std::vector<std::uint8_t>>& ResourceBytes() {
  static std::map<std::string, std::vector<std::uint8_t>> bytes;
  return bytes;
}
std::map<std::string, Picture>& Decodable() {
  static std::map<std::string, Picture> pictures;
  return pictures;
}

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  Put16(out, at, value & 0xFFFF);
  Put16(out, at + 2, value >> 16);
}

const std::string& RegisterBitmap(const std::string& name, std::vector<std::uint8_t> bmp) {
  auto& stored = ResourceBytes()[name];
  stored = std::move(bmp);
  const auto found = ResourceBytes().find(name);
  platform::RegisterResource(platform::Resource{platform::ResourceType::Bitmap,
                                                found->first.c_str(), 0, found->second.data(),
                                                found->second.size()});
  return found->first;
}

void (*timerAction)() = nullptr;

LRESULT CALLBACK ActionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    KillTimer(window, 1);
    if (timerAction != nullptr) timerAction();
    return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

}  // namespace

std::uint32_t PicturePixel(int seed, int x, int y) {
  const std::uint32_t red = static_cast<std::uint32_t>(x * 3 + seed) & 0xFF;
  const std::uint32_t green = static_cast<std::uint32_t>(y * 5 + seed * 7) & 0xFF;
  const std::uint32_t blue = 0x80 | (static_cast<std::uint32_t>(seed) & 0x7F);
  return (red << 16) | (green << 8) | blue;
}

std::vector<std::uint8_t> MakeBmp(int width, int height, int seed) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  const std::size_t pixelBytes = stride * static_cast<std::size_t>(height);
  std::vector<std::uint8_t> out(54 + pixelBytes, 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<std::uint32_t>(out.size()));
  Put32(out, 10, 54);
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<std::uint32_t>(width));
  Put32(out, 22, static_cast<std::uint32_t>(height));
  Put16(out, 26, 1);
  Put16(out, 28, 24);
  Put32(out, 34, static_cast<std::uint32_t>(pixelBytes));
  for (int y = 0; y < height; ++y) {
    const std::size_t row = 54 + stride * static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel = PicturePixel(seed, x, y);
      const std::size_t at = row + static_cast<std::size_t>(x) * 3;
      out[at] = static_cast<std::uint8_t>(pixel);
      out[at + 1] = static_cast<std::uint8_t>(pixel >> 8);
      out[at + 2] = static_cast<std::uint8_t>(pixel >> 16);
    }
  }
  return out;
}

std::vector<std::string>& DecodedPaths() {
  static std::vector<std::string> paths;
  return paths;
}

std::vector<std::string>& AbandonedPaths() {
  static std::vector<std::string> paths;
  return paths;
}

void SaverTest::SetUp() {
  headless::Install(1024, 768);
  DecodedPaths().clear();
  AbandonedPaths().clear();
  ReleasePictureLibrary();
  SlideShow = SlideShowRecord{};
  ScreenSaverHost = ScreenSaverHostRecord{};
  ScreenSaverHost.Instance = GetModuleHandle(nullptr);
  Decodable().clear();
  RegisterBitmap("LOGODIB", MakeBmp(LogoWidth, LogoHeight, LogoSeed));
  platform::gdi::SetCopyObserver(
      [this](const platform::gdi::CopyCall& copy) { copies_.push_back(copy); });
}

void SaverTest::TearDown() {
  platform::gdi::SetCopyObserver({});
  timerAction = nullptr;
}

void SaverTest::Set(const char* subKey, const char* name, const std::string& value) {
  WriteSetting(nullptr, subKey, name, value.c_str());
}

std::string SaverTest::AddPicture(int index, int width, int height, bool decodable,
                                  const std::string& folder) {
  const std::string where = folder.empty() ? config_.Folder() : folder;
  std::filesystem::create_directories(where);
  std::string path = where + "/picture" + std::to_string(index) + ".bmp";
  std::ofstream(path) << "a picture";
  if (decodable) {
    const std::string& name = RegisterBitmap(path, MakeBmp(width, height, index + 1));
    Decodable()[path] = Picture{name};
  }
  Set("The Gig", ("P" + std::to_string(index)).c_str(), path);
  return path;
}

std::string SaverTest::AddLongPicture(int index, int width, int height, int asks) {
  std::string path = AddPicture(index, width, height);
  Decodable()[path].asks = asks;
  return path;
}

void SaverTest::ChooseOneColumnWipe() {
  Set("Settings", "Effect", "11");
  Set("Settings", "EffectDir", "2");
  Set("Settings", "GrainSize", "1");
  Set("Settings", "DelayFactor", "1");
}

HWND SaverTest::OpenPastTheLogo(HWND parent) {
  HWND window = OpenSaverWindow(parent);
  Run(50);
  ForgetCopies();
  return window;
}

void SaverTest::DispatchPending() {
  MSG message{};
  while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
    if (message.message == WM_QUIT) continue;
    TranslateMessage(&message);
    DispatchMessage(&message);
  }
}

void SaverTest::Run(DWORD milliseconds) {
  DispatchPending();
  for (DWORD i = 0; i < milliseconds; ++i) {
    headless::AdvanceClock(1);
    DispatchPending();
  }
}

void RunAt(DWORD milliseconds, void (*action)()) {
  WNDCLASSA actionClass{};
  actionClass.lpfnWndProc = ActionWindowProc;
  actionClass.lpszClassName = "TavrinTestAction";
  // Each test installs a fresh window system, which forgets classes; a second registration in
  // one test fails harmlessly.
  RegisterClass(&actionClass);
  HWND window =
      CreateWindowEx(0, "TavrinTestAction", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  timerAction = action;
  SetTimer(window, 1, milliseconds, nullptr);
}

}  // namespace saver_test

// What the fake picture library calls to decode: the pictures a test made decodable.
extern "C" HBITMAP TavrinTestDecodePicture(const char* path) {
  saver_test::DecodedPaths().emplace_back(path);
  const auto found = saver_test::Decodable().find(path);
  if (found == saver_test::Decodable().end()) return nullptr;
  for (int ask = 0; ask < found->second.asks; ++ask) {
    if (platform::LongJobShouldStop()) {
      saver_test::AbandonedPaths().emplace_back(path);
      return nullptr;
    }
  }
  return LoadBitmap(nullptr, found->second.resourceName.c_str());
}
