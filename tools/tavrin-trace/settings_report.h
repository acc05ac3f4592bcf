// What LoadSettings makes of the settings store, one "name=value" line each.
#pragma once

#include <cstdio>

namespace trace {

// Loads the settings of the current user's store and writes Effect, EffectDir, GrainSize,
// DelayFactor, PicturePeriod (ms), FirstTickDelay, PictureCount, SongCount, RandomImages,
// RandomEffects, PlaySongs, RandomSongs, ImagePreview, InstallPath and HelpPath, in that order.
void ReportSettings(std::FILE* out);

}  // namespace trace
