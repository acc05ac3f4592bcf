#include "tools/tavrin-trace/settings_report.h"

#include "effects/transition_context.h"
#include "settings/settings.h"

namespace trace {

void ReportSettings(std::FILE* out) {
  LoadSettings(nullptr);
  std::fprintf(out, "Effect=%d\n", TransitionContext.Effect);
  std::fprintf(out, "EffectDir=%d\n", TransitionContext.EffectDir);
  std::fprintf(out, "GrainSize=%d\n", TransitionContext.GrainSize);
  std::fprintf(out, "DelayFactor=%d\n", TransitionContext.DelayFactor);
  std::fprintf(out, "PicturePeriod=%lu\n", static_cast<unsigned long>(SaverSettings.PicturePeriod));
  std::fprintf(out, "FirstTickDelay=%u\n", static_cast<unsigned int>(SaverSettings.FirstTickDelay));
  std::fprintf(out, "PictureCount=%d\n", SaverSettings.PictureCount);
  std::fprintf(out, "SongCount=%d\n", SaverSettings.SongCount);
  // Flags as the store writes them.
  std::fprintf(out, "RandomImages=%d\n", SaverSettings.RandomImages ? 1 : 0);
  std::fprintf(out, "RandomEffects=%d\n", SaverSettings.RandomEffects ? 1 : 0);
  std::fprintf(out, "PlaySongs=%d\n", SaverSettings.PlaySongs ? 1 : 0);
  std::fprintf(out, "RandomSongs=%d\n", SaverSettings.RandomSongs ? 1 : 0);
  std::fprintf(out, "ImagePreview=%d\n", SaverSettings.ImagePreview ? 1 : 0);
  std::fprintf(out, "InstallPath=%s\n", SaverSettings.InstallPath);
  std::fprintf(out, "HelpPath=%s\n", SaverSettings.HelpPath);
}

}  // namespace trace
