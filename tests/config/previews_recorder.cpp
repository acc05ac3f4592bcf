// The previews, standing in for the real ones in the dialog's tests: they only record that the
// dialog asked for them, so that the tests see when and in which order it does.
#include "config/previews.h"
#include "tests/config/config_test_support.h"

namespace {

void Record(const char* call) {
  std::string& calls = config_test::PreviewCalls();
  if (!calls.empty()) calls += ' ';
  calls += call;
}

}  // namespace

void DrawThumbnail(HWND /*dialog*/, HWND /*thumbnail*/) {
  Record("DrawThumbnail");
}
void CreateClipPreview(HWND /*dialog*/) {
  Record("CreateClipPreview");
}
void LoadClipPreview(HWND /*dialog*/) {
  Record("LoadClipPreview");
}
void DestroyClipPreview(HWND /*dialog*/) {
  Record("DestroyClipPreview");
}
