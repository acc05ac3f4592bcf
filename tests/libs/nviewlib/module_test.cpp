// The built module, loaded as the saver loads it: LoadLibrary("NViewLib.dll") from a program
// that exports its GDI. The bitmap must be one of this program's GDI objects.
#include <gtest/gtest.h>

#include "platform/gdi/gdi_probe.h"
#include "tests/libs/nviewlib/picture_files.h"

namespace nviewlib_test {
namespace {

using LoadFunction = HBITMAP(WINAPI*)(LPCSTR, int);

TEST(Module, LoadsAPictureAsALiveBitmapOfTheProgramsGdi) {
  platform::gdi::ResetGdi();
  HMODULE module = LoadLibrary("NViewLib.dll");
  ASSERT_NE(module, nullptr);
  auto load = reinterpret_cast<LoadFunction>(
      reinterpret_cast<void*>(GetProcAddress(module, "NViewLibLoad")));
  ASSERT_NE(load, nullptr);
  // Only the one entry is exported: the decoders' own names stay inside.
  EXPECT_EQ(GetProcAddress(module, "_ZN8nviewlib9DecodeBmpESt4spanIKhLm18446744073709551615EE"),
            nullptr);

  TempFolder folder;
  WriteSourcePicture(folder / "source.ppm", 45, 29);
  Convert(folder / "source.ppm", "-quality 95", "JPEG:" + (folder / "picture.jpg").string());
  HBITMAP bitmap = load((folder / "picture.jpg").c_str(), 0);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(platform::gdi::CountLiveObjects(), (platform::gdi::LiveObjects{0, 1, 0}));
  BITMAP info{};
  ASSERT_EQ(GetObject(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 45);
  EXPECT_EQ(info.bmHeight, 29);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  EXPECT_NE(previous, nullptr);
  SelectObject(dc, previous);
  DeleteDC(dc);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});

  EXPECT_EQ(load((folder / "missing.jpg").c_str(), 0), nullptr);
  EXPECT_TRUE(FreeLibrary(module));
}

}  // namespace
}  // namespace nviewlib_test
