// The dialog window: a plain top-level widget rather than a QDialog, so that no default-button
// or reject logic of Qt's runs beside the dialog manager's, and no Qt event loop runs the
// dialog: the dialog's own modal loop does.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

#include <memory>
#include <utility>

#include "platform/qt/control_kinds.h"

namespace platform::qt {
namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
      return true;
    default:
      return false;
  }
}

class DialogWindow final : public QWidget {
 public:
  DialogWindow(QWidget* owner, ActionReport report)
      : QWidget(owner, Qt::Dialog), report_(std::move(report)) {
    // Every widget of the process passes here first: a disabled dialog (the owner of a modal
    // dialog above it) takes no input, but keeps its look, as a Win32 owner does.
    QCoreApplication::instance()->installEventFilter(new InputBlocker(this));
  }

  void SetBlocked(bool blocked) { blocked_ = blocked; }
  bool Blocked() const { return blocked_; }

 protected:
  // Only what no control took: the keys with the focus on the dialog itself.
  void keyPressEvent(QKeyEvent* event) override {
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        report_(UserAction::Key, VK_RETURN, {});
        return;
      case Qt::Key_Escape:
        report_(UserAction::Key, VK_ESCAPE, {});
        return;
      case Qt::Key_F1:
        report_(UserAction::Key, VK_F1, {});
        return;
      default:
        QWidget::keyPressEvent(event);
    }
  }

  // The close box asks; the dialog procedure decides, and the window goes when it is destroyed.
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    if (!blocked_) report_(UserAction::Close, 0, {});
  }

 private:
  class InputBlocker final : public QObject {
   public:
    explicit InputBlocker(DialogWindow* dialog) : QObject(dialog), dialog_(dialog) {}

   protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (!dialog_->Blocked() || !IsUserInput(event->type()) || !watched->isWidgetType()) {
        return false;
      }
      return static_cast<QWidget*>(watched)->window() == dialog_;
    }

   private:
    DialogWindow* dialog_;
  };

  ActionReport report_;
  bool blocked_ = false;
};

class DialogView final : public ControlView {
 public:
  explicit DialogView(const ViewContext& context)
      : DialogView(std::make_unique<DialogWindow>(context.parent, context.report), context) {}

  void Show(bool visible) override {
    if (visible) {
      ShowAndActivate();
    } else {
      window_->hide();
    }
  }

 protected:
  void Mirror(const ControlSnapshot& snapshot) override {
    MirrorState(snapshot);
    if (snapshot.visible) {
      ShowAndActivate();
    } else {
      window_->hide();
    }
  }

  void MirrorState(const ControlSnapshot& snapshot) override {
    window_->setWindowTitle(FromAnsi(snapshot.text));
    window_->SetBlocked(!snapshot.enabled);
    // Window flags can change only while the window is hidden (a change hides it).
    if (!window_->isVisible()) {
      Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
      if ((snapshot.style & WS_SYSMENU) != 0) flags |= Qt::WindowCloseButtonHint;
      if ((snapshot.style & WS_MINIMIZEBOX) != 0) flags |= Qt::WindowMinimizeButtonHint;
      if (window_->windowFlags() != flags) window_->setWindowFlags(flags);
    }
    // The size is the client area's and the place the whole window's, as in a template; a
    // place the user has dragged the window to stays until the dialog manager moves it.
    const RECT& bounds = snapshot.bounds;
    const RECT& before = Last().bounds;
    const bool placed = Last().kind == ControlKind::Dialog && before.left == bounds.left &&
                        before.top == bounds.top && before.right == bounds.right &&
                        before.bottom == bounds.bottom;
    if (placed) return;
    window_->setFixedSize(static_cast<int>(bounds.right - bounds.left),
                          static_cast<int>(bounds.bottom - bounds.top));
    window_->move(static_cast<int>(bounds.left), static_cast<int>(bounds.top));
  }

 private:
  DialogView(std::unique_ptr<DialogWindow> window, const ViewContext& context)
      : ControlView(std::move(window)) {
    window_ = static_cast<DialogWindow*>(Widget());
    window_->setFont(context.font);
    window_->setAttribute(Qt::WA_DeleteOnClose, false);
  }

  void ShowAndActivate() {
    if (window_->isVisible()) return;
    window_->show();
    window_->activateWindow();
    // The control that has the focus when the dialog opens shows it, as after a Tab: Qt's
    // styles draw the focus cue only once the keyboard has moved the focus. Set once shown:
    // showing the window clears it.
    window_->setAttribute(Qt::WA_KeyboardFocusChange);
  }

  DialogWindow* window_ = nullptr;
};

}  // namespace

std::unique_ptr<ControlView> MakeDialogView(const ViewContext& context) {
  return std::make_unique<DialogView>(context);
}

}  // namespace platform::qt
