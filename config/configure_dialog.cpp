// The configuration dialog's procedure: opening, the effect settings, OK and Cancel. The
// playlists and previews are the editors' and previews' business; this calls them.
#include <cstdio>
#include <cstring>

#include "config/about_box.h"
#include "config/config_dialog.h"
#include "config/playlist_editor.h"
#include "config/previews.h"
#include "effects/engine.h"
#include "resources/resource.h"
#include "saver/picture_library.h"
#include "saver/screen_saver.h"
#include "settings/install_layout.h"
#include "settings/read_setting.h"
#include "settings/settings.h"

ConfigDialogStateRecord ConfigDialogState = {};

namespace {

// The fields are read no further than these many characters.
constexpr int GrainSizeCharacters = 3;
constexpr int DelayFactorCharacters = 4;
constexpr int DelayCharacters = 4;
constexpr int GrainSizeFallback = 4;
constexpr int DelayFactorFallback = 5;
constexpr int LargestDelayFactor = 10;
// The sound-clip editor, which "Sound Clips" switches on and off.
constexpr int ClipEditorControls[] = {IDC_CLIP_LIST, IDC_CLIP_ORDER, IDC_CLIP_REMOVE,
                                      IDC_CLIP_BROWSE};

HWND Control(HWND dialog, int id) {
  return GetDlgItem(dialog, id);
}

void Enable(HWND dialog, int id, bool enable) {
  EnableWindow(Control(dialog, id), enable ? TRUE : FALSE);
}

bool Checked(HWND dialog, int id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void SetCheck(HWND dialog, int id, BOOL on) {
  SendDlgItemMessage(dialog, id, BM_SETCHECK, on != FALSE ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SetNumber(HWND dialog, int id, int number) {
  char text[SettingTextSize];
  std::snprintf(text, sizeof text, "%d", number);
  SetDlgItemText(dialog, id, text);
}

// The leading whole number of a field's first `characters` characters; 0 when there is none.
int ReadField(HWND dialog, int id, int characters) {
  char text[SettingTextSize];
  GetDlgItemText(dialog, id, text, characters + 1);
  int number = 0;
  ParseSettingNumber(text, &number);
  return number;
}

void WriteNumber(HWND dialog, const char* name, int number) {
  char text[SettingTextSize];
  std::snprintf(text, sizeof text, "%d", number);
  WriteSetting(dialog, "Settings", name, text);
}

void WriteFlag(HWND dialog, int id, const char* name, BOOL* flag) {
  *flag = Checked(dialog, id) ? TRUE : FALSE;
  WriteNumber(dialog, name, *flag);
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameNameIgnoringCase(const char* a, const char* b) {
  while (*a != '\0' && LowerAscii(*a) == LowerAscii(*b)) {
    ++a;
    ++b;
  }
  return LowerAscii(*a) == LowerAscii(*b);
}

// The effect table row of a name, or -1.
int EffectByName(const char* name) {
  for (const EffectRecord& row : EffectTable) {
    if (SameNameIgnoringCase(row.Name, name)) return row.Index;
  }
  return -1;
}

// The text of a combo entry, or false when the entry is missing or would not fit.
bool ComboEntryText(HWND dialog, int index, char* text) {
  const LRESULT length = SendDlgItemMessage(dialog, IDC_EFFECT, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR || length >= SettingTextSize) return false;
  return SendDlgItemMessage(dialog, IDC_EFFECT, CB_GETLBTEXT, index,
                            reinterpret_cast<LPARAM>(text)) != CB_ERR;
}

void FillEffectCombo(HWND dialog) {
  for (const EffectRecord& row : EffectTable) {
    SendDlgItemMessage(dialog, IDC_EFFECT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.Name));
  }
  // The combo sorts its entries: the current effect is found by its name, not its place.
  const LRESULT count = SendDlgItemMessage(dialog, IDC_EFFECT, CB_GETCOUNT, 0, 0);
  for (int index = 0; index < count; ++index) {
    char text[SettingTextSize];
    if (!ComboEntryText(dialog, index, text)) continue;
    if (SameNameIgnoringCase(text, EffectTable[TransitionContext.Effect].Name)) {
      SendDlgItemMessage(dialog, IDC_EFFECT, CB_SETCURSEL, index, 0);
      break;
    }
  }
}

void DisableGrainForScramble(HWND dialog) {
  if (TransitionContext.Effect == ScrambleEffect && SaverSettings.RandomEffects == FALSE) {
    Enable(dialog, IDC_GRAIN_SIZE, false);
  }
}

bool SongPlayerInstalled() {
  char folder[SettingTextSize];
  const UINT length = GetSystemDirectory(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return false;
  char program[SettingTextSize];
  // A path that does not fit names some other file: no player then.
  if (!JoinPath(program, sizeof program, folder, SongPlayerFileName)) return false;
  OFSTRUCT found{};
  return OpenFile(program, &found, OF_EXIST) != HFILE_ERROR;
}

void OnInitDialog(HWND dialog) {
  // The record outlives a dialog: nothing of an earlier one may be taken for this one's.
  ConfigDialogState = ConfigDialogStateRecord{};

  InitCommonControls();
  if (!BindPictureLibrary()) {
    MessageBox(dialog, "Unable to load NViewLib.dll, screensaver will stop.", "Tavrin",
               MB_OK | MB_ICONEXCLAMATION);
    EndDialog(dialog, 1);
    return;
  }
  LoadSettings(dialog);

  SetCheck(dialog, IDC_RANDOM_IMAGES, SaverSettings.RandomImages);
  SetCheck(dialog, IDC_RANDOM_EFFECTS, SaverSettings.RandomEffects);
  SetCheck(dialog, IDC_RANDOM_SOUND_CLIPS, SaverSettings.RandomSongs);
  SetCheck(dialog, IDC_SOUND_CLIPS, SaverSettings.PlaySongs);

  FillEffectCombo(dialog);
  ShowDirectionButtons(dialog);
  if (SaverSettings.RandomEffects != FALSE) {
    // The buttons keep the checks just set: OK stores them.
    EnableEffectChoice(dialog, FALSE);
  } else {
    EnableEffectChoice(dialog, TRUE);
    ShowDirectionButtons(dialog);
  }

  SetNumber(dialog, IDC_GRAIN_SIZE, TransitionContext.GrainSize);
  SetNumber(dialog, IDC_DELAY_FACTOR, TransitionContext.DelayFactor);
  // The period holds whole seconds of the stored delay, so this shows the stored value.
  SetNumber(dialog, IDC_DELAY, static_cast<int>(SaverSettings.PicturePeriod / 1000));
  DisableGrainForScramble(dialog);

  ConfigDialogState.PlayerPresent =
      SaverSettings.SongCount != 0 && SongPlayerInstalled() ? TRUE : FALSE;
  if (ConfigDialogState.PlayerPresent == FALSE) {
    Enable(dialog, IDC_SOUND_CLIPS, false);
    Enable(dialog, IDC_RANDOM_SOUND_CLIPS, false);
  }

  SetCheck(dialog, IDC_PREVIEW, SaverSettings.ImagePreview);

  FillPlaylistBox(dialog, IDC_PICTURE_LIST);
  SendDlgItemMessage(dialog, IDC_PICTURE_LIST, LB_SETCURSEL, 0, 0);
  if (SaverSettings.RandomImages != FALSE) Enable(dialog, IDC_PICTURE_ORDER, false);
  FillPlaylistBox(dialog, IDC_CLIP_LIST);
  SendDlgItemMessage(dialog, IDC_CLIP_LIST, LB_SETCURSEL, 0, 0);
  if (SaverSettings.RandomSongs != FALSE) Enable(dialog, IDC_CLIP_ORDER, false);

  ConfigDialogState.ThumbnailWindow = Control(dialog, IDC_THUMBNAIL);
  if (SaverSettings.ImagePreview != FALSE) {
    ShowWindow(ConfigDialogState.ThumbnailWindow, SW_SHOW);
    ConfigDialogState.TimerHandle =
        SetTimer(dialog, ConfigTimerId, SaverSettings.FirstTickDelay, nullptr);
  } else {
    ShowWindow(ConfigDialogState.ThumbnailWindow, SW_HIDE);
  }
}

// The previews wait for the dialog to be on screen; the timer fires once.
void OnTimer(HWND dialog) {
  if (ConfigDialogState.TimerHandle != 0) KillTimer(dialog, ConfigTimerId);
  ConfigDialogState.TimerHandle = 0;
  ShowWindow(ConfigDialogState.ThumbnailWindow, SW_SHOW);
  DrawThumbnail(dialog, ConfigDialogState.ThumbnailWindow);
  // Whether or not "Sound Clips" is ticked; a player the user made meanwhile is kept.
  StartClipPreview(dialog);
}

void OnEffectChange(HWND dialog) {
  Enable(dialog, IDC_GRAIN_SIZE, true);
  const LRESULT selected = SendDlgItemMessage(dialog, IDC_EFFECT, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return;
  char text[SettingTextSize];
  if (!ComboEntryText(dialog, static_cast<int>(selected), text)) return;
  const int effect = EffectByName(text);
  // Picking the current effect again keeps the user's direction.
  if (effect >= 0 && effect != TransitionContext.Effect) {
    TransitionContext.Effect = effect;
    ShowDirectionButtons(dialog);
  }
  DisableGrainForScramble(dialog);
}

void OnRandomEffects(HWND dialog) {
  Enable(dialog, IDC_GRAIN_SIZE, true);
  SaverSettings.RandomEffects = Checked(dialog, IDC_RANDOM_EFFECTS) ? TRUE : FALSE;
  if (SaverSettings.RandomEffects != FALSE) {
    EnableEffectChoice(dialog, FALSE);
  } else {
    EnableEffectChoice(dialog, TRUE);
    ShowDirectionButtons(dialog);
  }
}

void OnSoundClips(HWND dialog) {
  const bool on = Checked(dialog, IDC_SOUND_CLIPS);
  for (const int id : ClipEditorControls) Enable(dialog, id, on);
  if (on) {
    StartClipPreview(dialog);
    return;
  }
  EndClipPreview(dialog);
  BlankClipPlayerArea(dialog);
}

void OnPreview(HWND dialog) {
  if (!Checked(dialog, IDC_PREVIEW)) {
    ShowWindow(ConfigDialogState.ThumbnailWindow, SW_HIDE);
    return;
  }
  ShowWindow(ConfigDialogState.ThumbnailWindow, SW_SHOW);
  DrawThumbnail(dialog, ConfigDialogState.ThumbnailWindow);
}

void CloseDialog(HWND dialog, INT_PTR result) {
  ReleasePictureLibrary();
  EndClipPreview(dialog);
  EndDialog(dialog, result);
}

void OnOk(HWND dialog) {
  WriteFlag(dialog, IDC_RANDOM_IMAGES, "RandomImages", &SaverSettings.RandomImages);
  WriteFlag(dialog, IDC_RANDOM_EFFECTS, "RandomEffects", &SaverSettings.RandomEffects);
  WriteFlag(dialog, IDC_SOUND_CLIPS, "PlaySongs", &SaverSettings.PlaySongs);
  WriteFlag(dialog, IDC_RANDOM_SOUND_CLIPS, "RandomSongs", &SaverSettings.RandomSongs);
  WriteFlag(dialog, IDC_PREVIEW, "ImagePreview", &SaverSettings.ImagePreview);
  WriteNumber(dialog, "Effect", TransitionContext.Effect);
  WriteNumber(dialog, "EffectDir", DirectionCodeFromButtons(dialog));

  const int grain = ReadField(dialog, IDC_GRAIN_SIZE, GrainSizeCharacters);
  WriteNumber(dialog, "GrainSize", grain >= 1 ? grain : GrainSizeFallback);
  const int factor = ReadField(dialog, IDC_DELAY_FACTOR, DelayFactorCharacters);
  WriteNumber(dialog, "DelayFactor",
              factor >= 1 && factor <= LargestDelayFactor ? factor : DelayFactorFallback);
  WriteNumber(dialog, "EffectDelay", ReadField(dialog, IDC_DELAY, DelayCharacters));

  SavePlaylists(dialog);
  CloseDialog(dialog, 1);
}

void OnHelp(HWND dialog) {
  WinHelp(dialog, SaverSettings.HelpPath, HELP_CONTENTS, 0);
}

INT_PTR OnCommand(HWND dialog, int id, int notification) {
  switch (id) {
    case IDOK:
      OnOk(dialog);
      return TRUE;
    case IDCANCEL:
      CloseDialog(dialog, 0);
      return TRUE;
    case IDC_DIR_UP:
    case IDC_DIR_DOWN:
    case IDC_DIR_LEFT:
    case IDC_DIR_RIGHT:
    case IDC_DIR_HORIZONTAL:
    case IDC_DIR_VERTICAL:
    case IDC_DIR_IN:
    case IDC_DIR_OUT:
      OnDirectionClick(dialog, id);
      return TRUE;
    case IDC_RANDOM_EFFECTS:
      OnRandomEffects(dialog);
      return TRUE;
    case IDC_RANDOM_IMAGES:
      Enable(dialog, IDC_PICTURE_ORDER, !Checked(dialog, IDC_RANDOM_IMAGES));
      return TRUE;
    case IDC_RANDOM_SOUND_CLIPS:
      Enable(dialog, IDC_CLIP_ORDER, !Checked(dialog, IDC_RANDOM_SOUND_CLIPS));
      return TRUE;
    case IDC_SOUND_CLIPS:
      OnSoundClips(dialog);
      return TRUE;
    case IDC_PREVIEW:
      OnPreview(dialog);
      return TRUE;
    case IDC_EFFECT:
      if (notification != CBN_SELCHANGE) return FALSE;
      OnEffectChange(dialog);
      return TRUE;
    case IDC_PICTURE_LIST:
      if (notification == LBN_SELCHANGE && Checked(dialog, IDC_PREVIEW)) {
        DrawThumbnail(dialog, ConfigDialogState.ThumbnailWindow);
      }
      return TRUE;
    case IDC_CLIP_LIST:
      if (notification == LBN_SELCHANGE && Checked(dialog, IDC_SOUND_CLIPS)) {
        StartClipPreview(dialog);
      }
      return TRUE;
    case IDC_PICTURE_BROWSE:
    case IDC_CLIP_BROWSE:
      AddPlaylistFiles(dialog, id == IDC_PICTURE_BROWSE ? IDC_PICTURE_LIST : IDC_CLIP_LIST);
      return TRUE;
    case IDC_PICTURE_REMOVE:
    case IDC_CLIP_REMOVE:
      RemovePlaylistEntry(dialog, id == IDC_PICTURE_REMOVE ? IDC_PICTURE_LIST : IDC_CLIP_LIST);
      return TRUE;
    case IDC_ABOUT_BUTTON:
      DialogBoxParam(GetModuleHandle(nullptr), "ABOUTBOX", dialog, AboutDlg, 0);
      return FALSE;
    case IDC_HELP_BUTTON:
      OnHelp(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

void OnNotify(HWND dialog, const NMHDR* header) {
  if (header == nullptr || header->code != UDN_DELTAPOS) return;
  const int delta = reinterpret_cast<const NMUPDOWN*>(header)->iDelta;
  if (header->idFrom == IDC_PICTURE_ORDER) {
    MovePlaylistEntry(dialog, IDC_PICTURE_LIST, delta, ConfigDialogState.PictureEntryCount);
  } else if (header->idFrom == IDC_CLIP_ORDER) {
    MovePlaylistEntry(dialog, IDC_CLIP_LIST, delta, ConfigDialogState.ClipEntryCount);
  }
}

}  // namespace

void StartClipPreview(HWND dialog) {
  if (ConfigDialogState.ClipPreviewActive == FALSE) {
    CreateClipPreview(dialog);
    ConfigDialogState.ClipPreviewActive = TRUE;
  }
  LoadClipPreview(dialog);
}

void EndClipPreview(HWND dialog) {
  if (ConfigDialogState.ClipPreviewActive != FALSE) DestroyClipPreview(dialog);
  ConfigDialogState.ClipPreviewActive = FALSE;
}

void BlankClipPlayerArea(HWND dialog) {
  HWND area = Control(dialog, IDC_CLIP_PLAYER);
  InvalidateRect(area, nullptr, TRUE);
  UpdateWindow(area);
}

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return FALSE;
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
      // WM_NOTIFY's lParam carries the notification's address.
      OnNotify(dialog,
               reinterpret_cast<const NMHDR*>(lParam));  // NOLINT(performance-no-int-to-ptr)
      return TRUE;
    case WM_TIMER:
      OnTimer(dialog);
      return TRUE;
    case WM_HELP:
      OnHelp(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}
