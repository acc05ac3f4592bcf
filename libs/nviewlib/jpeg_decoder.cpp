// JPEG through TurboJPEG: baseline, progressive, grey; CMYK and YCCK decoded to CMYK and converted
// here, since TurboJPEG will not convert them to RGB itself.
#include <turbojpeg.h>

#include <memory>

#include "libs/nviewlib/byte_reader.h"
#include "libs/nviewlib/decoders.h"

namespace nviewlib {
namespace {

struct TjCloser {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjCloser>;

// Adobe's APP14 segment marks CMYK stored inverted (0 is full ink), as Photoshop writes it.
bool HasAdobeMarker(Bytes file) {
  ByteReader in(file, 2);
  for (;;) {
    std::uint32_t fill = 0, marker = 0;
    if (!in.U8(fill) || fill != 0xFF || !in.U8(marker)) return false;
    while (marker == 0xFF) {
      if (!in.U8(marker)) return false;
    }
    if (marker == 0xDA || marker == 0xD9) return false;  // start of scan, end of image
    const std::uint8_t* length = in.Take(2);
    if (length == nullptr) return false;
    const std::size_t size = static_cast<std::size_t>(length[0] << 8 | length[1]);
    if (size < 2) return false;
    const std::uint8_t* body = in.Take(size - 2);
    if (body == nullptr) return false;
    if (marker == 0xEE && size - 2 >= 5 && std::equal(body, body + 5, "Adobe")) return true;
  }
}

}  // namespace

std::optional<Picture> DecodeJpeg(Bytes file) {
  TjHandle tj(tjInitDecompress());
  if (!tj) return std::nullopt;
  auto* data = const_cast<unsigned char*>(file.data());  // TurboJPEG 2 takes it non-const
  const auto size = static_cast<unsigned long>(file.size());
  int width = 0, height = 0, subsampling = 0, colourSpace = 0;
  if (tjDecompressHeader3(tj.get(), data, size, &width, &height, &subsampling, &colourSpace) != 0 ||
      !SizeAllowed(width, height)) {
    return std::nullopt;
  }
  // Warnings (a truncated scan, corrupt data) count as failures: a damaged picture is not shown.
  // The scan limit bounds the work a hostile progressive file can cause.
  const int flags = TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;
  const bool cmyk = colourSpace == TJCS_CMYK || colourSpace == TJCS_YCCK;

  std::optional<Picture> picture = NewPicture(width, height);
  if (!picture) return std::nullopt;
  auto* out = reinterpret_cast<unsigned char*>(picture->pixels.data());
  // CMYK needs four bytes a pixel too: decode in place and convert each pixel where it lies.
  const int format = cmyk ? TJPF_CMYK : TJPF_BGRX;
  if (tjDecompress2(tj.get(), data, size, out, width, 0, height, format, flags) != 0) {
    return std::nullopt;
  }
  if (cmyk) {
    const bool inverted = HasAdobeMarker(file);
    for (std::uint32_t& pixel : picture->pixels) {
      auto* p = reinterpret_cast<const unsigned char*>(&pixel);
      std::uint32_t c = p[0], m = p[1], y = p[2], k = p[3];
      if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
      }
      // Now each value is the light let through: 255 is no ink.
      pixel = Rgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
    }
  } else {
    // BGRX fills the fourth byte with 0xFF; GDI's pixels keep it zero.
    for (std::uint32_t& pixel : picture->pixels) pixel &= 0x00FFFFFF;
  }
  return picture;
}

}  // namespace nviewlib
