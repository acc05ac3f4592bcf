// The up-down control (msctls_updown32): two stacked arrow buttons.
#include <QKeyEvent>
#include <QString>
#include <QToolButton>
#include <QWidget>

#include <memory>
#include <utility>

#include "platform/qt/control_kinds.h"

namespace platform::qt {
namespace {

// The upper arrow asks for -1 and the lower for +1: the control's default range runs from 100
// down to 0.
constexpr int kUpperDelta = -1;
constexpr int kLowerDelta = 1;

class UpDownWidget final : public QWidget {
 public:
  UpDownWidget(QWidget* parent, ActionReport report)
      : QWidget(parent),
        report_(std::move(report)),
        upper_(new QToolButton(this)),
        lower_(new QToolButton(this)) {
    Arm(upper_, Qt::UpArrow, kUpperDelta, QStringLiteral("Up"));
    Arm(lower_, Qt::DownArrow, kLowerDelta, QStringLiteral("Down"));
  }

  void SetArrowKeys(bool arrowKeys) { arrowKeys_ = arrowKeys; }

 protected:
  void resizeEvent(QResizeEvent* /*event*/) override {
    const int upperHeight = height() / 2;
    upper_->setGeometry(0, 0, width(), upperHeight);
    lower_->setGeometry(0, upperHeight, width(), height() - upperHeight);
  }

  void keyPressEvent(QKeyEvent* event) override {
    if (arrowKeys_ && event->key() == Qt::Key_Up) {
      report_(UserAction::Arrow, kUpperDelta, {});
    } else if (arrowKeys_ && event->key() == Qt::Key_Down) {
      report_(UserAction::Arrow, kLowerDelta, {});
    } else {
      QWidget::keyPressEvent(event);
    }
  }

 private:
  void Arm(QToolButton* button, Qt::ArrowType arrow, int delta, const QString& name) {
    button->setArrowType(arrow);
    button->setFocusPolicy(Qt::NoFocus);
    // Held down, an arrow repeats, as the control's own does.
    button->setAutoRepeat(true);
    button->setAccessibleName(name);
    QObject::connect(button, &QToolButton::clicked,
                     [this, delta] { report_(UserAction::Arrow, delta, {}); });
  }

  ActionReport report_;
  QToolButton* upper_;  // owned by this widget
  QToolButton* lower_;  // owned by this widget
  bool arrowKeys_ = false;
};

class UpDownView final : public ControlView {
 public:
  explicit UpDownView(const ViewContext& context)
      : ControlView(std::make_unique<UpDownWidget>(context.parent, context.report)),
        arrows_(static_cast<UpDownWidget*>(Widget())) {
    WatchDialogKeys(arrows_, context, false);
  }

 protected:
  void MirrorState(const ControlSnapshot& snapshot) override {
    const bool arrowKeys = (snapshot.style & UDS_ARROWKEYS) != 0;
    arrows_->SetArrowKeys(arrowKeys);
    ApplyFocusPolicy(arrows_, snapshot.tabStop, arrowKeys);
  }

 private:
  UpDownWidget* arrows_;
};

}  // namespace

std::unique_ptr<ControlView> MakeUpDownView(const ViewContext& context) {
  return std::make_unique<UpDownView>(context);
}

}  // namespace platform::qt
