// Clock, version, system folder and file checks.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/backend.h"
#include "platform/win32.h"

namespace {

// A backend with a clock the test controls; the window calls are never reached here.
class ClockOnlyBackend : public platform::Backend {
 public:
  DWORD now = 0xFFFFFFF0;  // near the wrap, where callers' DWORD arithmetic matters
  DWORD slept = 0;
  int sleeps = 0;

  DWORD TickCount() override { return now; }
  void SleepFor(DWORD milliseconds) override {
    now += milliseconds;
    slept += milliseconds;
    ++sleeps;
  }
  int ScreenWidth() override { return 0; }
  int ScreenHeight() override { return 0; }
  bool CreateNativeWindow(HWND, const platform::NativeWindowParams&) override { return false; }
  void DestroyNativeWindow(HWND) override {}
  void ShowNativeWindow(HWND, bool) override {}
  platform::PixelSurface Surface(HWND) override { return {}; }
  void Present(HWND, const RECT&) override {}
  bool ForeignWindowExists(std::uintptr_t) override { return false; }
  bool ForeignClientSize(std::uintptr_t, int*, int*) override { return false; }
  std::uintptr_t FindNativeWindow(const char*, const char*) override { return 0; }
  void RaiseWindow(HWND) override {}
  POINT CursorPos() override { return {0, 0}; }
  void SetCursorHidden(bool) override {}
  bool InputPending() override { return false; }
  void Pump() override {}
  void Wait(int, DWORD) override {}
};

TEST(ClockTest, FollowsTheInstalledBackendElseTheRealClock) {
  auto backend = std::make_unique<ClockOnlyBackend>();
  ClockOnlyBackend* clock = backend.get();
  platform::InstallBackend(std::move(backend));
  const DWORD start = GetTickCount();
  Sleep(100);
  Sleep(0);
  EXPECT_EQ(GetTickCount() - start, 100U);
  EXPECT_EQ(clock->sleeps, 2);
  platform::InstallBackend(nullptr);

  const DWORD before = GetTickCount();
  Sleep(0);
  Sleep(2);
  EXPECT_GE(GetTickCount() - before, 2U);
}

TEST(SystemInfoTest, ReportsTheNtFamily) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  EXPECT_EQ(info.dwMajorVersion, 5U);
  info.dwOSVersionInfoSize = sizeof info - 1;
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_FALSE(GetVersionExA(nullptr));
}

TEST(SystemInfoTest, SystemDirectoryIsTheProgramsFolderWithWin32Sizing) {
  const std::string expected = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  char buffer[PATH_MAX + 1];
  const UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
  EXPECT_EQ(length, expected.size());
  EXPECT_EQ(std::string(buffer), expected);

  // Too small: the size needed including the NUL, and nothing written.
  char small[4] = "abc";
  EXPECT_EQ(GetSystemDirectoryA(small, sizeof small), expected.size() + 1);
  EXPECT_STREQ(small, "abc");
  EXPECT_EQ(GetSystemDirectoryA(buffer, static_cast<UINT>(expected.size())), expected.size() + 1);
  EXPECT_EQ(GetSystemDirectoryA(buffer, static_cast<UINT>(expected.size() + 1)), expected.size());
}

TEST(OpenFileTest, ExistTellsRegularFilesOnly) {
  const std::string folder = std::filesystem::temp_directory_path();
  const std::string file = folder + "/tavrin-openfile-" + std::to_string(getpid());
  std::ofstream(file) << "x";
  OFSTRUCT info{};
  EXPECT_EQ(OpenFile(file.c_str(), &info, OF_EXIST), 0);
  EXPECT_STREQ(info.szPathName, file.c_str());
  EXPECT_EQ(OpenFile(folder.c_str(), &info, OF_EXIST), HFILE_ERROR);
  EXPECT_EQ(OpenFile((file + ".missing").c_str(), &info, OF_EXIST), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(OpenFile(file.c_str(), &info, 0), HFILE_ERROR);  // opening is not offered
  EXPECT_EQ(OpenFile(nullptr, &info, OF_EXIST), HFILE_ERROR);
  std::filesystem::remove(file);
}

}  // namespace
