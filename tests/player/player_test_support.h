// A fresh store, runtime folder and clip files for one song-player test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32.h"
#include "tests/platform/kernel/temp_config_home.h"

namespace player_test {

// $XDG_RUNTIME_DIR points at a fresh folder while the object lives (the session lock is there).
class TempRuntimeDir {
 public:
  TempRuntimeDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tavrin-runtime-XXXXXX").string();
    EXPECT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    if (const char* previous = std::getenv("XDG_RUNTIME_DIR")) previous_ = previous;
    hadPrevious_ = std::getenv("XDG_RUNTIME_DIR") != nullptr;
    setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
  }
  TempRuntimeDir(const TempRuntimeDir&) = delete;
  TempRuntimeDir& operator=(const TempRuntimeDir&) = delete;
  ~TempRuntimeDir() {
    if (hadPrevious_) {
      setenv("XDG_RUNTIME_DIR", previous_.c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
  std::string previous_;
  bool hadPrevious_ = false;
};

// Stores one text value, as the configuration dialog would.
inline void Set(const std::string& subKey, const char* name, const std::string& value) {
  const std::string path = "Software\\Dravelin\\Tavrin\\" + subKey;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                          static_cast<DWORD>(value.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace player_test
