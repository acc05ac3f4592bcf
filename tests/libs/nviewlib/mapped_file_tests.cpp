// A picture file cut short by another program while it is mapped and decoded: the read past its
// new end finds zeros instead of ending the program with SIGBUS, and the load is refused.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "libs/nviewlib/mapped_file.h"
#include "libs/nviewlib/nviewlib.h"
#include "platform/gdi/gdi_probe.h"
#include "tests/libs/nviewlib/picture_files.h"

namespace nviewlib_test {
namespace {

TEST(MappedFile, BytesPastANewEndReadAsZerosAndTellTheFileWasCutShort) {
  TempFolder folder;
  const std::string path = (folder / "file").string();
  WriteFile(path, Bytes(65536, 0xAB));
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  {
    const nviewlib::MappedFile mapped(fd, 65536);
    ASSERT_TRUE(mapped.Mapped());
    EXPECT_EQ(mapped.View()[40000], 0xAB);
    EXPECT_FALSE(mapped.CutShort());
    ASSERT_EQ(truncate(path.c_str(), 4096), 0);
    EXPECT_EQ(mapped.View()[50000], 0);
    EXPECT_TRUE(mapped.CutShort());
    EXPECT_EQ(mapped.View()[100], 0xAB);
  }
  close(fd);
}

// The stop question is the test's way in while the decode runs: at its tenth ask the file loses
// all but its first kilobyte.
std::string cutPath;
int asks = 0;
bool CutTheFileAtTheTenthAsk() {
  if (++asks == 10) {
    EXPECT_EQ(truncate(cutPath.c_str(), 1024), 0);
  }
  return false;
}

TEST(MappedFile, APictureCutShortWhileItIsDecodedIsRefused) {
  platform::gdi::ResetGdi();
  TempFolder folder;
  WriteSourcePicture(folder / "source.ppm", 256, 256);
  Convert(folder / "source.ppm", "-type TrueColor", "BMP3:" + (folder / "pic.bmp").string());
  cutPath = (folder / "pic.bmp").string();
  asks = 0;
  EXPECT_EQ(nviewlib::LoadPictureFile(cutPath.c_str(), CutTheFileAtTheTenthAsk), nullptr);
  EXPECT_GE(asks, 10);
  EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});
}

}  // namespace
}  // namespace nviewlib_test
