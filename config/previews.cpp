// The previews: the selected picture's thumbnail, drawn afresh each time and not kept, and the
// clip player that the RealAudio user-interface library shows inside control 1027.
#include "config/previews.h"

#include <cstdio>
#include <memory>

#include "config/config_dialog.h"
#include "config/playlist_editor.h"
#include "libs/raui/raui.h"
#include "resources/resource.h"
#include "saver/picture_library.h"
#include "settings/read_setting.h"

namespace {

constexpr LONG ClipControlsFlags =
    RAGUI_CONTROL_STATUS | RAGUI_CONTROL_PLAY | RAGUI_CONTROL_POSITION;  // 0x700

// The texts the set-up record points to. The library copies what it keeps, but they live as
// long as the process anyway.
struct ClipIdentityRecord {
  char ClientId[512];
  char LibraryVersion[64];
};
ClipIdentityRecord ClipIdentity;

constexpr char MakersNotice[] = "Tavrin Screen Saver, by the Tavrin project";
constexpr char VendorWebAddress[] = "http://www.real.com";

LONG IgnoreCallback(LPCSTR /*info*/) {
  return 0;
}

bool FileExists(const char* path) {
  OFSTRUCT info{};
  return OpenFile(path, &info, OF_EXIST) >= 0;
}

void StretchPicture(HWND thumbnail, HBITMAP picture) {
  HDC windowDc = GetDC(thumbnail);
  RECT client{};
  GetClientRect(thumbnail, &client);
  BITMAP size{};
  GetObject(picture, sizeof size, &size);
  HDC memoryDc = CreateCompatibleDC(windowDc);
  HGDIOBJ old = SelectObject(memoryDc, picture);
  StretchToClient(windowDc, &client, memoryDc, size.bmWidth, size.bmHeight);
  SelectObject(memoryDc, old);
  DeleteDC(memoryDc);
  ReleaseDC(thumbnail, windowDc);
}

void FormatLibraryVersion(DWORD packed) {
  std::snprintf(ClipIdentity.LibraryVersion, sizeof ClipIdentity.LibraryVersion,
                "Ragui Version %d.%d.%d.%d", static_cast<int>(packed >> 28),
                static_cast<int>((packed >> 20) & 0xFF), static_cast<int>((packed >> 12) & 0xFF),
                static_cast<int>(packed & 0xFFF));
}

void Oops(HWND dialog, const char* text, const char* caption) {
  MessageBox(dialog, text, caption, MB_OK);
}

}  // namespace

void DrawThumbnail(HWND dialog, HWND thumbnail) {
  char path[SettingTextSize];
  if (!SelectedEntryPath(dialog, IDC_PICTURE_LIST, path)) return;
  if (!FileExists(path)) {
    MessageBox(dialog, path, "File does not exist", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  InvalidateRect(thumbnail, nullptr, TRUE);
  UpdateWindow(thumbnail);
  if (PictureLibrary.Load == nullptr) return;
  // A file that does not decode leaves the control as just erased.
  HBITMAP picture = PictureLibrary.Load(path, 0);
  if (picture == nullptr) return;
  StretchPicture(thumbnail, picture);
  DeleteObject(picture);
}

void CreateClipPreview(HWND dialog) {
  FormatLibraryVersion(RaguiProductVersion());
  if (RaguiFormClientIdString(ClipIdentity.ClientId, sizeof ClipIdentity.ClientId, "Tavrin Saver",
                              "3.0", "EN", "DistCode") > 0) {
    std::snprintf(ClipIdentity.ClientId, sizeof ClipIdentity.ClientId, "%s",
                  "Unknown ClientID String");
  }
  ConfigDialogState.ClipWindow = std::make_unique<ClipWindowRecord>();
  ConfigDialogState.ClipWindow->window = GetDlgItem(dialog, IDC_CLIP_PLAYER);

  ClipClientSetup setup{};
  setup.size = sizeof setup;
  setup.goToUrl = GoToURLCallback;
  setup.buffering = IgnoreCallback;
  setup.clipOpened = ClipOpenedCallback;
  setup.window = ConfigDialogState.ClipWindow.get();
  setup.clientId = ClipIdentity.ClientId;
  setup.productName = "Tavrin Saver";
  setup.productKind = "Sample Application";
  setup.productVersion = "3.0";
  setup.libraryVersion = ClipIdentity.LibraryVersion;
  setup.notice = MakersNotice;
  setup.webAddress = VendorWebAddress;
  setup.prefsChanged = PrefsChangedCallback;

  if (RaguiSetupClient(&setup, &ConfigDialogState.ClipClient) > 0) {
    ConfigDialogState.ClipClient = 0;
    Oops(dialog, "Error setting up client", "OOPS");
    return;
  }
  if (RaguiNew(ConfigDialogState.ClipClient, &ConfigDialogState.ClipInterface) > 0) {
    ConfigDialogState.ClipInterface = 0;
    Oops(dialog, "Error during RaguiNew().", "OOPS!");
    return;
  }
  const DWORD ui = ConfigDialogState.ClipInterface;
  RaguiSetConsoleName(ui, "_unique", 1);
  RaguiSetControlsFlags(ui, ClipControlsFlags);
  RaguiSetNoLabels(ui, 0);
  if (RaguiSetWindow(ui, ConfigDialogState.ClipWindow.get()) > 0) {
    Oops(dialog, "Error during RaguiSetWindow()", "OOPS!");
    return;
  }
  HWND area = GetDlgItem(dialog, IDC_CLIP_PLAYER);
  InvalidateRect(area, nullptr, TRUE);
  UpdateWindow(area);
  // Playing is left to the player's own buttons.
  RaguiSetAutoStart(ui, 0);
}

void LoadClipPreview(HWND dialog) {
  char path[SettingTextSize];
  if (!SelectedEntryPath(dialog, IDC_CLIP_LIST, path)) return;
  if (!FileExists(path)) {
    MessageBox(dialog, path, "Sound/Music clip does not exist", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // A set-up that failed left no player to hand the clip to.
  if (ConfigDialogState.ClipInterface == 0) return;
  RaguiSetSource(ConfigDialogState.ClipInterface, path);
}

void DestroyClipPreview(HWND /*dialog*/) {
  if (ConfigDialogState.ClipInterface != 0) RaguiDestroy(ConfigDialogState.ClipInterface);
  ConfigDialogState.ClipInterface = 0;
  if (ConfigDialogState.ClipClient != 0) RaguiShutdownClient(ConfigDialogState.ClipClient);
  ConfigDialogState.ClipClient = 0;
  // Nothing uses the window record any more.
  ConfigDialogState.ClipWindow.reset();
}

LONG GoToURLCallback(LPCSTR /*info*/) {
  return RaguiStatusScan(ConfigDialogState.ClipInterface, "GoToURL Callback");
}

LONG ClipOpenedCallback(LPCSTR /*info*/) {
  return RaguiStatusScan(ConfigDialogState.ClipInterface, "ClipOpened Callback");
}

LONG PrefsChangedCallback(LPCSTR /*info*/) {
  return RaguiStatusScan(ConfigDialogState.ClipInterface, "PrefsChanged Callback");
}
