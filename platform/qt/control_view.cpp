#include "platform/qt/control_view.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QPushButton>

#include <utility>

#include "platform/qt/control_kinds.h"

namespace platform::qt {
namespace {

class DialogKeyFilter final : public QObject {
 public:
  DialogKeyFilter(QObject* watched, ActionReport report, ActionReport reportToDialog,
                  bool isPushButton)
      : QObject(watched),
        report_(std::move(report)),
        reportToDialog_(std::move(reportToDialog)),
        isPushButton_(isPushButton) {}

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
      return false;
    }
    switch (key->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        // A focused push button is the default one while it has the focus.
        if (isPushButton_) {
          report_(UserAction::Click, 0, {});
        } else {
          reportToDialog_(UserAction::Key, VK_RETURN, {});
        }
        return true;
      case Qt::Key_Escape:
        reportToDialog_(UserAction::Key, VK_ESCAPE, {});
        return true;
      case Qt::Key_F1:
        reportToDialog_(UserAction::Key, VK_F1, {});
        return true;
      default:
        return false;
    }
  }

 private:
  ActionReport report_;
  ActionReport reportToDialog_;
  bool isPushButton_;
};

}  // namespace

ControlView::ControlView(std::unique_ptr<QWidget> widget) : widget_(std::move(widget)) {}

ControlView::~ControlView() = default;

void ControlView::Update(const ControlSnapshot& snapshot) {
  Mirror(snapshot);
  last_ = snapshot;
}

void ControlView::Mirror(const ControlSnapshot& snapshot) {
  const RECT& bounds = snapshot.bounds;
  widget_->setGeometry(static_cast<int>(bounds.left), static_cast<int>(bounds.top),
                       static_cast<int>(bounds.right - bounds.left),
                       static_cast<int>(bounds.bottom - bounds.top));
  widget_->setEnabled(snapshot.enabled);
  MirrorState(snapshot);
  widget_->setVisible(snapshot.visible);
}

std::unique_ptr<ControlView> MakeControlView(const ControlSnapshot& snapshot,
                                             const ViewContext& context) {
  switch (snapshot.kind) {
    case ControlKind::Dialog:
      return MakeDialogView(context);
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::GroupBox:
      return MakeButtonView(snapshot.kind, context);
    case ControlKind::Label:
    case ControlKind::Icon:
    case ControlKind::BlackRect:
      return MakeStaticView(snapshot.kind, context);
    case ControlKind::Surface:
      return MakeSurfaceView(context.parent, true);
    case ControlKind::Edit:
      return MakeEditView(context);
    case ControlKind::ComboBox:
      return MakeComboBoxView(context);
    case ControlKind::ListBox:
      return MakeListBoxView(context);
    case ControlKind::UpDown:
      return MakeUpDownView(context);
    case ControlKind::None:
      break;
  }
  return nullptr;
}

std::unique_ptr<ControlView> MakeChildSurfaceView(QWidget* parent,
                                                  const NativeWindowParams& params) {
  auto view = MakeSurfaceView(parent, false);
  ControlSnapshot snapshot;
  snapshot.kind = ControlKind::Surface;
  snapshot.bounds = RECT{params.x, params.y, params.x + params.width, params.y + params.height};
  snapshot.visible = params.visible;
  view->Update(snapshot);
  return view;
}

QString FromAnsi(const std::string& text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToAnsi(const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void ApplyFocusPolicy(QWidget* widget, bool tabStop, bool takesInput) {
  if (tabStop) {
    widget->setFocusPolicy(Qt::StrongFocus);
  } else {
    widget->setFocusPolicy(takesInput ? Qt::ClickFocus : Qt::NoFocus);
  }
}

void WatchDialogKeys(QWidget* widget, const ViewContext& context, bool isPushButton) {
  // Owned by the widget, and gone with it.
  widget->installEventFilter(
      new DialogKeyFilter(widget, context.report, context.reportToDialog, isPushButton));
}

}  // namespace platform::qt
