// Texts, icons and black rectangles: nothing the user acts on, so clicks pass through them.
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPixmap>

#include <memory>

#include "platform/qt/control_kinds.h"
#include "platform/resources.h"

namespace platform::qt {
namespace {

void MakePassive(QWidget* widget) {
  widget->setAttribute(Qt::WA_TransparentForMouseEvents);
  widget->setFocusPolicy(Qt::NoFocus);
}

class LabelView final : public ControlView {
 public:
  explicit LabelView(const ViewContext& context)
      : ControlView(std::make_unique<QLabel>(context.parent)),
        label_(static_cast<QLabel*>(Widget())) {
    MakePassive(label_);
    // Plain text always: a path or a name shown here is never read as markup.
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
  }

 protected:
  void MirrorState(const ControlSnapshot& snapshot) override {
    const bool centred = (snapshot.style & SS_TYPEMASK) == SS_CENTER;
    label_->setAlignment(Qt::AlignTop | (centred ? Qt::AlignHCenter : Qt::AlignLeft));
    label_->setText(FromAnsi(snapshot.text));
  }

 private:
  QLabel* label_;
};

// The icon resource is a .bmp file, shown at its own size from the control's corner.
class IconView final : public ControlView {
 public:
  explicit IconView(const ViewContext& context)
      : ControlView(std::make_unique<QLabel>(context.parent)),
        label_(static_cast<QLabel*>(Widget())) {
    MakePassive(label_);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }

 protected:
  void MirrorState(const ControlSnapshot& snapshot) override {
    if (snapshot.iconId == shownIcon_) return;
    shownIcon_ = snapshot.iconId;
    const Resource* icon =
        FindResource(ResourceType::Icon, MAKEINTRESOURCE(static_cast<WORD>(snapshot.iconId)));
    QImage image;
    if (icon != nullptr) {
      image.loadFromData(icon->data, static_cast<int>(icon->size), "BMP");
    }
    label_->setPixmap(QPixmap::fromImage(image));
  }

 private:
  QLabel* label_;
  int shownIcon_ = 0;
};

class BlackRectView final : public ControlView {
 public:
  explicit BlackRectView(const ViewContext& context)
      : ControlView(std::make_unique<QFrame>(context.parent)) {
    MakePassive(Widget());
    QPalette palette = Widget()->palette();
    palette.setColor(QPalette::Window, Qt::black);
    Widget()->setPalette(palette);
    Widget()->setAutoFillBackground(true);
  }

 protected:
  void MirrorState(const ControlSnapshot& /*snapshot*/) override {}
};

}  // namespace

std::unique_ptr<ControlView> MakeStaticView(ControlKind kind, const ViewContext& context) {
  switch (kind) {
    case ControlKind::Label:
      return std::make_unique<LabelView>(context);
    case ControlKind::Icon:
      return std::make_unique<IconView>(context);
    default:
      return std::make_unique<BlackRectView>(context);
  }
}

}  // namespace platform::qt
