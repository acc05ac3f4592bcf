// Push buttons, check boxes and group boxes.
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalBlocker>

#include <memory>
#include <utility>

#include "platform/qt/control_kinds.h"

namespace platform::qt {
namespace {

class PushButtonView final : public ControlView {
 public:
  explicit PushButtonView(const ViewContext& context)
      : ControlView(std::make_unique<QPushButton>(context.parent)),
        button_(static_cast<QPushButton*>(Widget())) {
    // Return is the dialog manager's to route (WatchDialogKeys), never the button's own.
    button_->setAutoDefault(false);
    QObject::connect(button_, &QPushButton::clicked,
                     [report = context.report] { report(UserAction::Click, 0, {}); });
    WatchDialogKeys(button_, context, true);
  }

 protected:
  void MirrorState(const ControlSnapshot& snapshot) override {
    button_->setText(FromAnsi(snapshot.text));
    button_->setDefault(snapshot.isDefault);
    ApplyFocusPolicy(button_, snapshot.tabStop, true);
  }

 private:
  QPushButton* button_;
};

class CheckBoxView final : public ControlView {
 public:
  explicit CheckBoxView(const ViewContext& context)
      : ControlView(std::make_unique<QCheckBox>(context.parent)),
        box_(static_cast<QCheckBox*>(Widget())) {
    QObject::connect(box_, &QCheckBox::clicked, [this, report = context.report] {
      // Qt has already toggled its box. The check is the dialog manager's: it toggles an
      // automatic box when it handles the click, and a plain one stays as it is.
      const QSignalBlocker blocker(box_);
      box_->setChecked(Last().checked);
      report(UserAction::Click, 0, {});
    });
    WatchDialogKeys(box_, context, false);
  }

 protected:
  void MirrorState(const ControlSnapshot& snapshot) override {
    const QSignalBlocker blocker(box_);
    box_->setText(FromAnsi(snapshot.text));
    box_->setChecked(snapshot.checked);
    ApplyFocusPolicy(box_, snapshot.tabStop, true);
  }

 private:
  QCheckBox* box_;
};

// Only a frame with a title: the controls inside are the dialog's, not the box's, and clicks
// pass through it to them.
class GroupBoxView final : public ControlView {
 public:
  explicit GroupBoxView(const ViewContext& context)
      : ControlView(std::make_unique<QGroupBox>(context.parent)),
        box_(static_cast<QGroupBox*>(Widget())) {
    box_->setAttribute(Qt::WA_TransparentForMouseEvents);
    box_->setFocusPolicy(Qt::NoFocus);
  }

 protected:
  void MirrorState(const ControlSnapshot& snapshot) override {
    box_->setTitle(FromAnsi(snapshot.text));
  }

 private:
  QGroupBox* box_;
};

}  // namespace

std::unique_ptr<ControlView> MakeButtonView(ControlKind kind, const ViewContext& context) {
  switch (kind) {
    case ControlKind::PushButton:
      return std::make_unique<PushButtonView>(context);
    case ControlKind::CheckBox:
      return std::make_unique<CheckBoxView>(context);
    default:
      return std::make_unique<GroupBoxView>(context);
  }
}

}  // namespace platform::qt
