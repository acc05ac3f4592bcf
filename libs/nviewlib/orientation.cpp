#include "libs/nviewlib/orientation.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace nviewlib {
namespace {

constexpr std::uint32_t kOrientationTag = 0x0112;
constexpr std::uint32_t kShortType = 3;
constexpr std::size_t kIfdEntryBytes = 12;
constexpr char kExifPrefix[] = {'E', 'x', 'i', 'f', '\0', '\0'};

bool StartsWith(Bytes bytes, const char* prefix, std::size_t length) {
  return bytes.size() >= length && std::memcmp(bytes.data(), prefix, length) == 0;
}

int Valid(std::uint32_t orientation) {
  return orientation >= 1 && orientation <= 8 ? static_cast<int>(orientation) : kUpright;
}

}  // namespace

int ExifOrientation(Bytes tiff) {
  if (tiff.size() < 8) return kUpright;
  bool bigEndian = false;
  if (StartsWith(tiff, "MM", 2)) {
    bigEndian = true;
  } else if (!StartsWith(tiff, "II", 2)) {
    return kUpright;
  }
  // Callers check that the bytes are there.
  auto u16 = [&](std::size_t at) -> std::uint32_t {
    return bigEndian ? static_cast<std::uint32_t>(tiff[at] << 8 | tiff[at + 1])
                     : static_cast<std::uint32_t>(tiff[at] | tiff[at + 1] << 8);
  };
  auto u32 = [&](std::size_t at) -> std::uint32_t {
    return bigEndian ? u16(at) << 16 | u16(at + 2) : u16(at) | u16(at + 2) << 16;
  };
  if (u16(2) != 42) return kUpright;
  const std::size_t ifd = u32(4);
  if (ifd > tiff.size() || tiff.size() - ifd < 2) return kUpright;
  const std::size_t entries = ifd + 2;
  const std::size_t count =
      std::min<std::size_t>(u16(ifd), (tiff.size() - entries) / kIfdEntryBytes);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = entries + i * kIfdEntryBytes;
    if (u16(entry) != kOrientationTag) continue;
    // One SHORT, stored in the entry itself.
    if (u16(entry + 2) != kShortType || u32(entry + 4) != 1) return kUpright;
    return Valid(u16(entry + 8));
  }
  return kUpright;
}

int JpegExifOrientation(Bytes app1) {
  if (!StartsWith(app1, kExifPrefix, sizeof kExifPrefix)) return kUpright;
  return ExifOrientation(app1.subspan(sizeof kExifPrefix));
}

int WebpOrientation(Bytes file) {
  constexpr std::size_t kRiffHeader = 12;
  constexpr std::size_t kChunkHeader = 8;
  if (!StartsWith(file, "RIFF", 4) || file.size() < kRiffHeader) return kUpright;
  std::size_t at = kRiffHeader;
  while (file.size() - at >= kChunkHeader) {
    const std::uint8_t* header = file.data() + at;
    const std::size_t size =
        static_cast<std::size_t>(header[4]) | static_cast<std::size_t>(header[5]) << 8 |
        static_cast<std::size_t>(header[6]) << 16 | static_cast<std::size_t>(header[7]) << 24;
    if (size > file.size() - at - kChunkHeader) return kUpright;
    const Bytes body = file.subspan(at + kChunkHeader, size);
    if (std::memcmp(header, "EXIF", 4) == 0) {
      // Some writers keep JPEG's "Exif\0\0" in front of the TIFF block.
      return ExifOrientation(StartsWith(body, kExifPrefix, sizeof kExifPrefix)
                                 ? body.subspan(sizeof kExifPrefix)
                                 : body);
    }
    // Chunks are padded to an even size; a last odd chunk may lack its pad byte.
    at += kChunkHeader + size;
    if (size % 2 != 0) {
      if (at == file.size()) break;
      ++at;
    }
  }
  return kUpright;
}

std::optional<UprightRows> UprightRows::Start(std::int64_t storedWidth, std::int64_t storedHeight,
                                              int orientation, int batchRows, StopQuery stop) {
  if (!SizeAllowed(storedWidth, storedHeight)) return std::nullopt;
  orientation = Valid(static_cast<std::uint32_t>(orientation));
  const bool sideways = orientation >= 5;
  std::optional<Picture> picture = sideways ? NewUnfilledPicture(storedHeight, storedWidth, stop)
                                            : NewUnfilledPicture(storedWidth, storedHeight, stop);
  if (!picture) return std::nullopt;
  batchRows = std::clamp<int>(batchRows, 1, static_cast<int>(storedHeight));
  UprightRows rows(std::move(*picture), orientation, static_cast<int>(storedWidth),
                   static_cast<int>(storedHeight), batchRows);
  if (orientation != kUpright) {
    try {
      rows.batch_ = std::make_unique_for_overwrite<std::uint32_t[]>(
          static_cast<std::size_t>(batchRows) * static_cast<std::size_t>(storedWidth));
    } catch (const std::bad_alloc&) {
      return std::nullopt;
    }
  }
  return rows;
}

UprightRows::UprightRows(Picture picture, int orientation, int storedWidth, int storedHeight,
                         int batchRows)
    : picture_(std::move(picture)),
      orientation_(orientation),
      storedWidth_(storedWidth),
      storedHeight_(storedHeight),
      batchRows_(batchRows) {}

std::uint32_t* UprightRows::Rows(int y) {
  if (orientation_ == kUpright) return &picture_.At(0, y);
  return batch_.get() + static_cast<std::size_t>(y - batchStart_) * storedWidth_;
}

int UprightRows::BatchEnd(int y) const {
  if (orientation_ == kUpright) return storedHeight_;
  return std::min(std::max(y, batchStart_) + batchRows_, storedHeight_);
}

void UprightRows::Done(int end) {
  if (orientation_ == kUpright || end < BatchEnd(batchStart_)) return;
  PlaceBatch(end);
  batchStart_ = end;
}

void UprightRows::PlaceBatch(int end) {
  const auto width = static_cast<std::size_t>(storedWidth_);
  const int o = orientation_;
  if (o <= 4) {
    for (int y = batchStart_; y < end; ++y) {
      const std::uint32_t* from = batch_.get() + static_cast<std::size_t>(y - batchStart_) * width;
      std::uint32_t* to = &picture_.At(0, o == 3 || o == 4 ? storedHeight_ - 1 - y : y);
      if (o == 2 || o == 3) {
        std::reverse_copy(from, from + width, to);
      } else {
        std::copy(from, from + width, to);
      }
    }
    return;
  }
  // Lying on a side: stored row y becomes upright column y (5, 8) or height-1-y (6, 7), its first
  // pixel at the top (5, 6) or at the bottom (7, 8). One upright row at a time, so that the
  // writes are a short run of neighbours and the reads stay within the batch.
  const bool fromLeft = o == 5 || o == 8;
  const bool downwards = o == 5 || o == 6;
  const int count = end - batchStart_;
  for (int x = 0; x < storedWidth_; ++x) {
    const std::uint32_t* from = batch_.get() + x;
    const int row = downwards ? x : storedWidth_ - 1 - x;
    if (fromLeft) {
      std::uint32_t* to = &picture_.At(batchStart_, row);
      for (int i = 0; i < count; ++i) to[i] = from[static_cast<std::size_t>(i) * width];
    } else {
      std::uint32_t* to = &picture_.At(storedHeight_ - 1 - batchStart_ - (count - 1), row);
      for (int i = 0; i < count; ++i) to[count - 1 - i] = from[static_cast<std::size_t>(i) * width];
    }
  }
}

}  // namespace nviewlib
