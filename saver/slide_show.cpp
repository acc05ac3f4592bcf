// The slide show: ScreenSaverProc and its timer ticks.
#include "saver/slide_show.h"

#include <cstdio>

#include "effects/engine.h"
#include "saver/picture_library.h"
#include "saver/screen_saver.h"
#include "saver/song_player_process.h"
#include "settings/random.h"
#include "settings/read_setting.h"
#include "settings/settings.h"

namespace {

constexpr char LogoName[] = "LOGODIB";
// Random effects leave out the last row of the table: it runs only when chosen by the user.
constexpr int RandomEffectCount = 19;

HBITMAP LoadLogo() {
  return LoadBitmap(GetModuleHandle(nullptr), LogoName);
}

void ArmTimer(HWND window, UINT period) {
  SlideShow.TimerHandle = SetTimer(window, SlideShowTimerId, period, nullptr);
}

void DisarmTimer(HWND window) {
  if (SlideShow.TimerHandle != 0) KillTimer(window, SlideShowTimerId);
  SlideShow.TimerHandle = 0;
}

void SeedFromClock() {
  SeedRandom(GetTickCount() & 0xFFFF);
}

void OnCreate(HWND window) {
  // The record outlives a window: nothing of an earlier one may be taken for this one's.
  SlideShow.TimerHandle = 0;
  SlideShow.PlayerStarted = FALSE;
  SlideShow.PictureBitmap = nullptr;

  if (!BindPictureLibrary()) {
    MessageBox(window, "Unable to load NViewLib.dll, screensaver will stop.", "Tavrin",
               MB_OK | MB_ICONEXCLAMATION);
    SendMessage(window, WM_DESTROY, 0, 0);
    return;
  }
  LoadSettings(window);
  StartSongPlayer();

  RECT client{};
  GetClientRect(window, &client);
  SlideShow.SmallWindow = client.right < SmallWindowWidth ? TRUE : FALSE;

  SlideShow.LogoPending = TRUE;
  ArmTimer(window, SaverSettings.FirstTickDelay);
}

void OnDestroy(HWND window) {
  DisarmTimer(window);
  if (SlideShow.PictureBitmap != nullptr) {
    DeleteObject(SlideShow.PictureBitmap);
    SlideShow.PictureBitmap = nullptr;
  }
  StopSongPlayer();
  ReleasePictureLibrary();
  PostQuitMessage(0);
}

void ChoosePicture() {
  int index = 0;
  if (SaverSettings.RandomImages != FALSE) {
    SeedFromClock();
    index = NextRandom() % SaverSettings.PictureCount;
    // One retry only: a repeat stays possible, a long run of them unlikely.
    if (index == SlideShow.CurrentPicture) index = NextRandom() % SaverSettings.PictureCount;
  } else {
    index = SlideShow.CurrentPicture + 1;
  }
  SlideShow.CurrentPicture = index < SaverSettings.PictureCount ? index : 0;
}

void ChooseEffect() {
  SeedFromClock();
  int effect = NextRandom() % RandomEffectCount;
  if (effect == SlideShow.LastEffect) effect = NextRandom() % RandomEffectCount;
  SlideShow.LastEffect = effect;
  TransitionContext.Effect = effect;
  ChooseRandomDirection();
}

void BlankWindow(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(window, dc);
}

void OnTimer(HWND window) {
  if (SlideShow.LogoPending != FALSE) {
    DisarmTimer(window);
    DrawLogo(window);
    SlideShow.LogoPending = FALSE;
    SlideShow.CurrentPicture = -1;
    ArmTimer(window, SaverSettings.PicturePeriod);
    return;
  }
  BlankWindow(window);
  ChoosePicture();
  if (SaverSettings.RandomEffects != FALSE) ChooseEffect();
  // The transition runs inside this tick: no tick may come in the middle of it.
  DisarmTimer(window);
  ShowNextPicture(window);
  ArmTimer(window, SaverSettings.PicturePeriod);
}

// Signed, truncating toward zero: a picture larger than the window is cropped equally on both
// sides.
int CentredOffset(LONG clientSize, LONG pictureSize) {
  return (clientSize - pictureSize) / 2;
}

}  // namespace

void ShowNextPicture(HWND window) {
  char valueName[16];
  std::snprintf(valueName, sizeof valueName, "P%d", SlideShow.CurrentPicture);
  char path[SettingTextSize];
  ReadSetting(window, "The Gig", valueName, path);
  OFSTRUCT fileInfo{};
  const bool exists = path[0] != '\0' && OpenFile(path, &fileInfo, OF_EXIST) >= 0;

  HDC dc = GetDC(window);
  RECT client{};
  GetClientRect(window, &client);

  HBITMAP bitmap = nullptr;
  if (exists && PictureLibrary.Load != nullptr) bitmap = PictureLibrary.Load(path, 0);
  // A file the library cannot decode is treated as a missing one.
  if (bitmap == nullptr) bitmap = LoadLogo();
  SlideShow.PictureBitmap = bitmap;
  BITMAP size{};
  if (bitmap == nullptr || GetObject(bitmap, sizeof size, &size) == 0) {
    if (bitmap != nullptr) DeleteObject(bitmap);
    SlideShow.PictureBitmap = nullptr;
    ReleaseDC(window, dc);
    return;
  }

  TransitionContext.TargetX = CentredOffset(client.right, size.bmWidth);
  TransitionContext.TargetY = CentredOffset(client.bottom, size.bmHeight);
  TransitionContext.TargetWidth = size.bmWidth;
  TransitionContext.TargetHeight = size.bmHeight;

  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  TransitionContext.DestDC = dc;
  TransitionContext.SourceDC = memory;

  if (SlideShow.SmallWindow != FALSE) {
    StretchToClient(dc, &client, memory, size.bmWidth, size.bmHeight);
  } else {
    RunTransition();
  }

  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(bitmap);
  SlideShow.PictureBitmap = nullptr;
  ReleaseDC(window, dc);
  // Nothing of a transition outlives it.
  TransitionContext.DestDC = nullptr;
  TransitionContext.SourceDC = nullptr;
}

void DrawLogo(HWND window) {
  HBITMAP logo = LoadLogo();
  BITMAP size{};
  if (logo == nullptr || GetObject(logo, sizeof size, &size) == 0) {
    if (logo != nullptr) DeleteObject(logo);
    return;
  }
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(memory, logo);
  RECT client{};
  GetClientRect(window, &client);
  if (SlideShow.SmallWindow != FALSE) {
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, size.bmWidth, size.bmHeight,
               SRCCOPY);
  } else {
    BitBlt(dc, CentredOffset(client.right, size.bmWidth),
           CentredOffset(client.bottom, size.bmHeight), size.bmWidth, size.bmHeight, memory, 0, 0,
           SRCCOPY);
  }
  SelectObject(memory, previous);
  DeleteObject(logo);
  DeleteDC(memory);
  ReleaseDC(window, dc);
}

LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      break;
    case WM_DESTROY:
      OnDestroy(window);
      break;
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client,  // NOLINT(performance-no-int-to-ptr)
               static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      break;
    }
    case WM_TIMER:
      OnTimer(window);
      return 0;
    default:
      break;
  }
  return DefScreenSaverProc(window, message, wParam, lParam);
}

BOOL WINAPI RegisterDialogClasses(HINSTANCE /*instance*/) {
  return TRUE;
}
