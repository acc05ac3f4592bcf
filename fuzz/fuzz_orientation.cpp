// libFuzzer target: the orientation readers on arbitrary bytes (an EXIF body, a JPEG APP1 body,
// a WebP file), which must stay inside them and always answer 1..8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "libs/nviewlib/orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const nviewlib::Bytes bytes(data, size);
  for (const int orientation :
       {nviewlib::ExifOrientation(bytes), nviewlib::JpegExifOrientation(bytes),
        nviewlib::WebpOrientation(bytes)}) {
    if (orientation < 1 || orientation > 8) std::abort();
  }
  return 0;
}
