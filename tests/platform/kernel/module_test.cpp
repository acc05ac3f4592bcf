// Modules: Windows names mapped to shared objects beside the program, never the current folder.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/handles.h"
#include "platform/win32.h"

namespace {

using MarkerProc = int (*)();

int Marker(HMODULE module) {
  const FARPROC procedure = GetProcAddress(module, "TestModuleMarker");
  if (procedure == nullptr) return -1;
  MarkerProc marker = nullptr;
  std::memcpy(&marker, &procedure, sizeof marker);
  return marker();
}

// Runs the test body with the decoy folder as the current directory.
class ModuleTest : public testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(TEST_DECOY_FOLDER);
  }
  void TearDown() override { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

TEST_F(ModuleTest, WindowsNameLoadsTheCopyBesideTheProgram) {
  ASSERT_TRUE(std::filesystem::exists("libtavrintestmodule.so"));  // the decoy is right here
  EXPECT_EQ(GetModuleHandleA("TavrinTestModule.dll"), nullptr);    // looking never loads

  HMODULE module = LoadLibraryA("TavrinTestModule.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(Marker(module), 1);
  EXPECT_EQ(GetModuleHandleA("TAVRINTESTMODULE.DLL"), module);
  HMODULE again = LoadLibraryA("tavrintestmodule.dll");
  EXPECT_EQ(again, module);
  EXPECT_EQ(GetProcAddress(module, "NoSuchSymbol"), nullptr);

  EXPECT_TRUE(FreeLibrary(again));
  EXPECT_EQ(Marker(module), 1);  // still loaded: one reference left
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetModuleHandleA("TavrinTestModule.dll"), nullptr);
  EXPECT_FALSE(FreeLibrary(module));
}

TEST_F(ModuleTest, CurrentDirectoryAndPathsAreNeverSearched) {
  ASSERT_TRUE(std::filesystem::exists("libtavrincwdonly.so"));
  EXPECT_EQ(LoadLibraryA("TavrinCwdOnly.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA("./TavrinCwdOnly.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(LoadLibraryA(TEST_DECOY_FOLDER "/libtavrincwdonly.so"), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(LoadLibraryA(".dll"), nullptr);
}

TEST_F(ModuleTest, ProgramHandleIsFixed) {
  const HMODULE program = GetModuleHandleA(nullptr);
  EXPECT_EQ(platform::HandleValue(program), platform::kProgramInstanceHandle);
  EXPECT_EQ(GetModuleHandleA(nullptr), program);
  EXPECT_EQ(GetModuleHandleA("IMM32.DLL"), nullptr);
  EXPECT_TRUE(FreeLibrary(program));
  // NOLINTNEXTLINE(performance-no-int-to-ptr): an ordinal, which is refused
  EXPECT_EQ(GetProcAddress(program, MAKEINTRESOURCEA(1)), nullptr);
}

}  // namespace
