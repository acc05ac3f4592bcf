// Areas the system draws on with GDI (the thumbnail, the clip player's area): the window's
// pixels are a QImage whose memory GDI writes into, and a present repaints what changed.
#include <QColor>
#include <QFrame>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QRect>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/qt/control_kinds.h"

namespace platform::qt {
namespace {

class SurfaceWidget final : public QFrame {
 public:
  explicit SurfaceWidget(QWidget* parent) : QFrame(parent) {}

  // Remakes the pixels when the area inside the frame has another size than they have.
  void FitImage() {
    const QSize size = contentsRect().size().expandedTo(QSize(0, 0));
    if (image_.size() == size) return;
    // 0x00RRGGBB words in memory, as GDI writes them; the dialog's colour until drawn.
    image_ = QImage(size, QImage::Format_RGB32);
    image_.fill(palette().color(QPalette::Window).rgb() & 0x00FFFFFFU);
  }

  PixelSurface Pixels() {
    FitImage();
    if (image_.isNull()) return {};
    return PixelSurface{reinterpret_cast<std::uint32_t*>(image_.bits()), image_.width(),
                        image_.height(), static_cast<int>(image_.bytesPerLine() / 4)};
  }

  void Repaint(const RECT& changed) {
    const QRect area(static_cast<int>(changed.left), static_cast<int>(changed.top),
                     static_cast<int>(changed.right - changed.left),
                     static_cast<int>(changed.bottom - changed.top));
    update(area.translated(contentsRect().topLeft()));
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    const QPoint origin = contentsRect().topLeft();
    const QRect source = event->rect().translated(-origin) & image_.rect();
    if (source.isEmpty()) return;
    // GDI leaves the top byte 0, which Qt would carry into the window as transparency.
    QImage opaque = image_.copy(source);
    for (int y = 0; y < opaque.height(); ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(opaque.scanLine(y));
      for (int x = 0; x < opaque.width(); ++x) row[x] |= 0xFF000000U;
    }
    QPainter painter(this);
    painter.drawImage(source.topLeft() + origin, opaque);
  }

 private:
  QImage image_;
};

class SurfaceView final : public ControlView {
 public:
  SurfaceView(QWidget* parent, bool framed)
      : ControlView(std::make_unique<SurfaceWidget>(parent)),
        surface_(static_cast<SurfaceWidget*>(Widget())),
        framed_(framed) {
    surface_->setFocusPolicy(Qt::NoFocus);
  }

  PixelSurface Surface() override { return surface_->Pixels(); }
  void Present(const RECT& changed) override { surface_->Repaint(changed); }

 protected:
  void MirrorState(const ControlSnapshot& snapshot) override {
    if (framed_) {
      const bool sunken = (snapshot.style & SS_SUNKEN) != 0;
      surface_->setFrameStyle(sunken ? (QFrame::Panel | QFrame::Sunken)
                                     : (QFrame::Box | QFrame::Plain));
      // As wide as the window system's border, so the pixels are exactly the client area.
      surface_->setLineWidth(std::max(snapshot.inset, 1));
    }
    surface_->FitImage();
  }

 private:
  SurfaceWidget* surface_;
  bool framed_;
};

}  // namespace

std::unique_ptr<ControlView> MakeSurfaceView(QWidget* parent, bool framed) {
  return std::make_unique<SurfaceView>(parent, framed);
}

}  // namespace platform::qt
