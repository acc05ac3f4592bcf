#include "platform/x11/window_image.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/x11/x_error.h"

namespace platform::x11 {

void WindowImage::XImageDeleter::operator()(XImage* image) const {
  // The pixels belong to the shared segment or to buffer_, never to Xlib.
  image->data = nullptr;
  XDestroyImage(image);
}

bool SharedMemoryOffered(Display* display) {
  const char* forced = std::getenv("TAVRIN_NO_SHM");
  if (forced != nullptr && std::strcmp(forced, "1") == 0) return false;
  return XShmQueryExtension(display) != False;
}

WindowImage::WindowImage(Display* display) : display_(display) {}

std::unique_ptr<WindowImage> WindowImage::Create(Display* display, Visual* visual, int depth,
                                                 int width, int height, bool& tryShm) {
  const auto bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  if (tryShm) {
    auto result = std::unique_ptr<WindowImage>(new WindowImage(display));
    if (result->AttachSharedImage(visual, depth, width, height, bytes)) return result;
    tryShm = false;
  }
  auto result = std::unique_ptr<WindowImage>(new WindowImage(display));
  result->image_.reset(XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                                    nullptr, static_cast<unsigned>(width),
                                    static_cast<unsigned>(height), 32, width * 4));
  if (result->image_ == nullptr || result->image_->bits_per_pixel != 32) return nullptr;
  result->buffer_.assign(bytes / 4, 0);
  result->image_->data = reinterpret_cast<char*>(result->buffer_.data());
  return result;
}

bool WindowImage::AttachSharedImage(Visual* visual, int depth, int width, int height,
                                    std::size_t bytes) {
  // Xlib keeps a pointer to segment_ in the image: it must live as long as the image does.
  image_.reset(XShmCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, nullptr,
                               &segment_, static_cast<unsigned>(width),
                               static_cast<unsigned>(height)));
  if (image_ == nullptr || image_->bits_per_pixel != 32) return false;
  segment_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (segment_.shmid < 0) return false;
  void* address = shmat(segment_.shmid, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) {  // NOLINT(performance-no-int-to-ptr)
    shmctl(segment_.shmid, IPC_RMID, nullptr);
    return false;
  }
  segment_.shmaddr = static_cast<char*>(address);
  segment_.readOnly = False;
  bool attached = false;
  {
    ErrorTrap trap(display_);
    attached = XShmAttach(display_, &segment_) != False && !trap.Failed();
  }
  // Both ends are attached (or the server refused): marking the segment removed now means
  // the system frees it once the last of us detaches, even if we crash.
  shmctl(segment_.shmid, IPC_RMID, nullptr);
  if (!attached) {
    shmdt(address);
    return false;
  }
  image_->data = segment_.shmaddr;
  std::memset(image_->data, 0, bytes);
  shared_ = true;
  return true;
}

WindowImage::~WindowImage() {
  if (shared_) {
    // The server keeps its own mapping until it has handled the detach, so ours can go now.
    XShmDetach(display_, &segment_);
    image_.reset();
    shmdt(segment_.shmaddr);
  }
}

PixelSurface WindowImage::Pixels() const {
  PixelSurface surface;
  surface.pixels =
      reinterpret_cast<std::uint32_t*>(image_->data);  // NOLINT(bugprone-casting-through-void)
  surface.width = image_->width;
  surface.height = image_->height;
  surface.stride = image_->bytes_per_line / 4;
  return surface;
}

void WindowImage::Put(Drawable drawable, GC gc, int x, int y, int width, int height) {
  if (shared_) {
    // No completion event: it would land in the input queue that the poll scans.
    XShmPutImage(display_, drawable, gc, image_.get(), x, y, x, y, static_cast<unsigned>(width),
                 static_cast<unsigned>(height), False);
  } else {
    XPutImage(display_, drawable, gc, image_.get(), x, y, x, y, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
  }
}

}  // namespace platform::x11
