// A fresh, empty configuration folder for one test: XDG_CONFIG_HOME points at it while the
// object lives, so the registry store starts empty.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

class TempConfigHome {
 public:
  TempConfigHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrin-test-XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    folder_ = pattern;
    const char* previous = std::getenv("XDG_CONFIG_HOME");
    hadPrevious_ = previous != nullptr;
    if (hadPrevious_) previous_ = previous;
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  }
  TempConfigHome(const TempConfigHome&) = delete;
  TempConfigHome& operator=(const TempConfigHome&) = delete;
  ~TempConfigHome() {
    if (hadPrevious_) {
      setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  const std::string& Folder() const { return folder_; }
  // Where HKEY_CURRENT_USER lives on disk.
  std::string Registry() const { return folder_ + "/tavrin/registry"; }

 private:
  std::string folder_;
  std::string previous_;
  bool hadPrevious_ = false;
};
