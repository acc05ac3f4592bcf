// A headless screen and a window class whose procedure records every message it gets.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/win32.h"

namespace user_test {

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Received&) const = default;
};

// Messages the recording procedure got, oldest first.
std::vector<Received>& Log();
// The messages of the log only, in order; optionally only those of one window.
std::vector<UINT> Messages(HWND window = nullptr);

// Runs before the default handling; return true to answer with *result instead.
using Hook = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT* result)>;
void SetHook(Hook hook);

// Class "TestWindow": the recording procedure, black background brush.
inline constexpr const char* kClass = "TestWindow";

class UserTest : public ::testing::Test {
 protected:
  static constexpr int kScreenWidth = 640;
  static constexpr int kScreenHeight = 480;

  void SetUp() override;
  void TearDown() override;

  // A visible top-level window of kClass.
  HWND MakeWindow(const char* title = "test", DWORD style = WS_POPUP | WS_VISIBLE,
                  HWND parent = nullptr, int width = 100, int height = 80);
  // Takes every message there is now (without waiting) and dispatches it; the clock stays.
  void DispatchPending();
};

}  // namespace user_test
