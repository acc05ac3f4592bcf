// libFuzzer target: the whole of NViewLibLoad after the file is read (kind sniffing, every
// decoder, the bitmap handed to GDI), checking that a bitmap it returns is whole and that no GDI
// object is left behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "libs/nviewlib/nviewlib.h"
#include "platform/gdi/gdi_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  HBITMAP bitmap = nviewlib::LoadPictureBitmap(nviewlib::Bytes(data, size));
  if (bitmap != nullptr) {
    BITMAP info{};
    if (GetObject(bitmap, sizeof info, &info) != static_cast<int>(sizeof info) ||
        info.bmWidth < 1 || info.bmHeight < 1 || !DeleteObject(bitmap)) {
      std::abort();
    }
  }
  if (platform::gdi::CountLiveObjects() != platform::gdi::LiveObjects{}) std::abort();
  return 0;
}
