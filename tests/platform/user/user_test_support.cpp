#include "tests/platform/user/user_test_support.h"

#include <utility>

#include "platform/headless/headless.h"

namespace user_test {
namespace {
Hook& CurrentHook() {
  static Hook hook;
  return hook;
}

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Received{window, message, wParam, lParam});
  LRESULT result = 0;
  // A copy: the hook may replace itself.
  const Hook hook = CurrentHook();
  if (hook && hook(window, message, wParam, lParam, &result)) return result;
  return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

std::vector<Received>& Log() {
  static std::vector<Received> log;
  return log;
}

std::vector<UINT> Messages(HWND window) {
  std::vector<UINT> messages;
  for (const Received& received : Log()) {
    if (window == nullptr || received.window == window) messages.push_back(received.message);
  }
  return messages;
}

void SetHook(Hook hook) {
  CurrentHook() = std::move(hook);
}

void UserTest::SetUp() {
  headless::Install(kScreenWidth, kScreenHeight);
  Log().clear();
  SetHook(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = RecordingProc;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kClass;
  ASSERT_NE(RegisterClassA(&windowClass), 0);
}

void UserTest::TearDown() {
  SetHook(nullptr);
  headless::Install(kScreenWidth, kScreenHeight);
}

HWND UserTest::MakeWindow(const char* title, DWORD style, HWND parent, int width, int height) {
  return CreateWindowExA(0, kClass, title, style, 0, 0, width, height, parent, nullptr, nullptr,
                         nullptr);
}

void UserTest::DispatchPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
    if (msg.message == WM_QUIT) break;
    DispatchMessageA(&msg);
  }
}

}  // namespace user_test
