#include "settings/settings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "effects/transition_context.h"
#include "saver/slide_show.h"
#include "settings/install_layout.h"

SaverSettingsRecord SaverSettings = {};

namespace {

constexpr int LastEffectIndex = 19;
// SetTimer takes at most this many milliseconds.
constexpr long long LongestPicturePeriod = 0x7FFFFFFF;

bool FormatKeyPath(const char* subKey, char* path) {
  const int length = std::snprintf(path, SettingTextSize, "Software\\Dravelin\\Tavrin\\%s", subKey);
  return length >= 0 && length < SettingTextSize;
}

// The text names the failing value whole, however long its name.
void ShowWriteFailure(HWND window, const std::string& message, const char* caption) {
  MessageBox(window, message.c_str(), caption, MB_OK | MB_ICONEXCLAMATION);
}

bool ReadFlag(HWND window, const char* valueName, char* text) {
  ReadSetting(window, "Settings", valueName, text);
  return std::strcmp(text, "1") == 0;
}

// The number stored under a name, or `absent` when it is missing or not a number.
int ReadNumber(HWND window, const char* subKey, const char* valueName, int absent, char* text) {
  ReadSetting(window, subKey, valueName, text);
  int number = absent;
  ParseSettingNumber(text, &number);
  return number;
}

// The entry number of a playlist value's name after its letter ("12" of "P12"); -1 for a name
// that is no entry's: the entries are read as "P%d", so digits only, without leading zeros.
int EntryNumber(const char* digits) {
  if (digits[0] < '0' || digits[0] > '9' || (digits[0] == '0' && digits[1] != '\0')) return -1;
  long long number = 0;
  for (const char* at = digits; *at != '\0'; ++at) {
    if (*at < '0' || *at > '9') return -1;
    number = number * 10 + (*at - '0');
    if (number >= 0x7FFFFFFF) return -1;
  }
  return static_cast<int>(number);
}

// One past the highest picture and clip entry stored: a count can name no more entries than
// there are, and one far above them would have every missing entry read in turn.
void StoredEntryLimits(int* pictures, int* clips) {
  *pictures = 0;
  *clips = 0;
  char path[SettingTextSize];
  HKEY key = nullptr;
  if (!FormatKeyPath("The Gig", path) ||
      RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return;
  }
  char name[SettingTextSize];
  for (DWORD index = 0;; ++index) {
    DWORD size = sizeof name;
    const LSTATUS status =
        RegEnumValue(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;
    // Value names are found ignoring case, as the entries are read.
    int* limit = name[0] == 'P' || name[0] == 'p'   ? pictures
                 : name[0] == 'S' || name[0] == 's' ? clips
                                                    : nullptr;
    if (limit == nullptr) continue;
    const int number = EntryNumber(name + 1);
    if (number >= *limit) *limit = number + 1;
  }
  RegCloseKey(key);
}

// Whole seconds to timer milliseconds; negative periods mean none, huge ones the longest.
DWORD PicturePeriodFromSeconds(int seconds) {
  if (seconds <= 0) return 0;
  const long long milliseconds = static_cast<long long>(seconds) * 1000;
  return static_cast<DWORD>(milliseconds > LongestPicturePeriod ? LongestPicturePeriod
                                                                : milliseconds);
}

}  // namespace

void WriteSetting(HWND window, const char* subKey, const char* valueName, const char* text) {
  char path[SettingTextSize];
  HKEY key = nullptr;
  DWORD disposition = 0;
  char emptyClass[] = "";
  if (!FormatKeyPath(subKey, path) ||
      RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, emptyClass, REG_OPTION_NON_VOLATILE,
                     KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS) {
    ShowWriteFailure(window, std::string("Error writing ") + valueName + " to registry",
                     "WriteRegkey");
    return;
  }
  if (text == nullptr) text = "";
  if (RegSetValueEx(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                    static_cast<DWORD>(std::strlen(text))) != ERROR_SUCCESS) {
    ShowWriteFailure(window, std::string("Error setting value ") + valueName + " in registry",
                     "WriteRegKey");
  }
  RegCloseKey(key);
}

void LoadSettings(HWND window) {
  char text[SettingTextSize];

  SaverSettings.FirstTickDelay = 50;

  DefaultInstallPath(SaverSettings.InstallPath, SettingTextSize);
  ReadSetting(window, "Settings", "ScreenSaverPath", text);
  if (text[0] != '\0') std::memcpy(SaverSettings.InstallPath, text, SettingTextSize);

  // A help path that would not fit is left empty rather than cut into another path.
  JoinPath(SaverSettings.HelpPath, SettingTextSize, SaverSettings.InstallPath, HelpFileName);

  int pictureLimit = 0;
  int clipLimit = 0;
  StoredEntryLimits(&pictureLimit, &clipLimit);
  SaverSettings.PictureCount =
      std::min(ReadNumber(window, "The Gig", "Images", 1, text), pictureLimit);
  if (SaverSettings.PictureCount < 1) SaverSettings.PictureCount = 1;
  SaverSettings.SongCount = std::min(ReadNumber(window, "The Gig", "Songs", 0, text), clipLimit);

  SaverSettings.RandomImages = ReadFlag(window, "RandomImages", text) ? TRUE : FALSE;
  SaverSettings.RandomEffects = ReadFlag(window, "RandomEffects", text) ? TRUE : FALSE;
  SaverSettings.PlaySongs = ReadFlag(window, "PlaySongs", text) ? TRUE : FALSE;
  SaverSettings.RandomSongs = ReadFlag(window, "RandomSongs", text) ? TRUE : FALSE;
  SaverSettings.ImagePreview = ReadFlag(window, "ImagePreview", text) ? TRUE : FALSE;

  TransitionContext.Effect = ReadNumber(window, "Settings", "Effect", 0, text);
  if (TransitionContext.Effect < 0 || TransitionContext.Effect > LastEffectIndex) {
    TransitionContext.Effect = 0;
  }
  TransitionContext.EffectDir = ReadNumber(window, "Settings", "EffectDir", 8, text);
  TransitionContext.GrainSize = ReadNumber(window, "Settings", "GrainSize", 4, text);
  if (TransitionContext.GrainSize < 1) TransitionContext.GrainSize = 4;
  // Absent gives 5, but a stored value out of range gives 10.
  TransitionContext.DelayFactor = ReadNumber(window, "Settings", "DelayFactor", 5, text);
  if (TransitionContext.DelayFactor < 1 || TransitionContext.DelayFactor > 10) {
    TransitionContext.DelayFactor = 10;
  }

  SaverSettings.PicturePeriod = 6000;
  int seconds = 0;
  ReadSetting(window, "Settings", "EffectDelay", text);
  if (ParseSettingNumber(text, &seconds)) {
    SaverSettings.PicturePeriod = PicturePeriodFromSeconds(seconds);
  }

  SlideShow.LastEffect = TransitionContext.Effect;
}
