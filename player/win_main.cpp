// The player's entry: its window class, its hidden window and its message loop.
#include "player/song_player.h"

namespace {

BOOL RegisterPlayerClass(HINSTANCE instance) {
  WNDCLASS windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWndProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIcon(instance, "VuxRAIcon");
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = PlayerClassName;
  return RegisterClass(&windowClass) != 0 ? TRUE : FALSE;
}

HWND CreatePlayerWindow(HINSTANCE instance) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  HWND window = CreateWindowEx(0, PlayerClassName, PlayerWindowTitle, WS_OVERLAPPEDWINDOW,
                               screenWidth / 8, screenHeight / 8, screenWidth / 4, screenHeight / 8,
                               nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return nullptr;
  // The player never shows itself, whatever show command it was given.
  ShowWindow(window, SW_HIDE);
  UpdateWindow(window);
  return window;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
  PlayerState.Instance = instance;
  if (previousInstance == nullptr && RegisterPlayerClass(instance) == FALSE) return 0;
  if (CreatePlayerWindow(instance) == nullptr) return 0;

  MSG message{};
  // -1 is a failing queue, not a message: looping on it would spin for ever.
  BOOL got = FALSE;
  while ((got = GetMessage(&message, nullptr, 0, 0)) > 0) {
    TranslateMessage(&message);
    DispatchMessage(&message);
  }
  if (got < 0) return 0;
  return static_cast<int>(message.wParam);
}
