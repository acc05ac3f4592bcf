// libFuzzer target: the PCX decoder on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "libs/nviewlib/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)nviewlib::DecodePcx(nviewlib::Bytes(data, size));
  return 0;
}
