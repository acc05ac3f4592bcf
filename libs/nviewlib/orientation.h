// Pictures shown upright: the orientation tag that cameras and phones store (EXIF in JPEG, PNG and
// WebP; tag 274 in TIFF), and the writer that puts each decoded row where it belongs in the
// upright picture.
//
// Orientations are numbered as EXIF and TIFF number them: 1 upright, 2 mirrored, 3 upside down,
// 4 flipped top to bottom, 5 to 8 lying on a side (the upright picture's width is the stored
// height). Anything missing, damaged or outside 1..8 counts as 1.
#pragma once

#include <memory>
#include <optional>

#include "libs/nviewlib/picture.h"

namespace nviewlib {

inline constexpr int kUpright = 1;

// From a TIFF-structured block (EXIF's body: "II" or "MM", 42, the first IFD's offset): the first
// IFD's orientation entry. Reads only inside `tiff`.
int ExifOrientation(Bytes tiff);

// From a JPEG APP1 segment's body, which starts "Exif\0\0"; 1 for any other APP1.
int JpegExifOrientation(Bytes app1);

// From a WebP file's EXIF chunk (RIFF container); 1 when it has none.
int WebpOrientation(Bytes file);

// Takes the rows of a picture in the order its file stores them and builds the upright picture.
// Untagged pictures are decoded straight into the picture's own rows; tagged ones into a batch of
// rows that is placed (mirrored, flipped or turned into columns) once full.
//
// The decoder asks Rows(y) for where stored row y goes (rows up to BatchEnd(y) follow it in
// memory), decodes and fixes those rows (final 0x00RRGGBB), and reports them with Done(end),
// always in order from the top stored row.
class UprightRows {
 public:
  // For a stored picture of that size; `batchRows` rows at most between placements (the whole
  // height for decoders that need the whole stored picture at once). Nothing when the size is
  // not allowed, memory runs out or `stop` says so.
  static std::optional<UprightRows> Start(std::int64_t storedWidth, std::int64_t storedHeight,
                                          int orientation, int batchRows, StopQuery stop);

  int StoredWidth() const { return storedWidth_; }
  int StoredHeight() const { return storedHeight_; }
  std::uint32_t* Rows(int y);
  // One past the last stored row that may be written through Rows(y).
  int BatchEnd(int y) const;
  // Stored rows before `end` are final.
  void Done(int end);
  // The upright picture, once every stored row is Done.
  Picture Finish() && { return std::move(picture_); }

 private:
  UprightRows(Picture picture, int orientation, int storedWidth, int storedHeight, int batchRows);
  void PlaceBatch(int end);

  Picture picture_;
  int orientation_;
  int storedWidth_;
  int storedHeight_;
  int batchRows_;
  int batchStart_ = 0;
  // Tagged pictures only; never filled, since the decoder writes every row before it is placed.
  std::unique_ptr<std::uint32_t[]> batch_;
};

}  // namespace nviewlib
