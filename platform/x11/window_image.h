// The client pixels of one X window and the way they reach the screen.
//
// In shared memory (MIT-SHM) when the server takes it, so a present costs no copy through the
// socket; else an ordinary client buffer sent with XPutImage (a display over TCP, or
// TAVRIN_NO_SHM=1).
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/backend.h"

namespace platform::x11 {

class WindowImage {
 public:
  // A black width x height image in the screen's 32-bit format. Tries shared memory while
  // `tryShm` is set, and clears it when the server refuses, so later images skip the attempt.
  static std::unique_ptr<WindowImage> Create(Display* display, Visual* visual, int depth, int width,
                                             int height, bool& tryShm);
  ~WindowImage();
  WindowImage(const WindowImage&) = delete;
  WindowImage& operator=(const WindowImage&) = delete;

  PixelSurface Pixels() const;
  int Width() const { return image_->width; }
  int Height() const { return image_->height; }
  bool Shared() const { return shared_; }
  // Queues a copy of the rectangle to the same place in `drawable`; the caller flushes.
  void Put(Drawable drawable, GC gc, int x, int y, int width, int height);

 private:
  struct XImageDeleter {
    void operator()(XImage* image) const;
  };
  explicit WindowImage(Display* display);
  bool AttachSharedImage(Visual* visual, int depth, int width, int height, std::size_t bytes);

  Display* display_;
  std::unique_ptr<XImage, XImageDeleter> image_;
  bool shared_ = false;
  XShmSegmentInfo segment_{};
  std::vector<std::uint32_t> buffer_;  // the pixels when not shared
};

// False when TAVRIN_NO_SHM=1 or the server has no MIT-SHM.
bool SharedMemoryOffered(Display* display);

}  // namespace platform::x11
