// Push buttons, check boxes and group boxes. Check boxes and group boxes are laid out as
// Win32 lays them out, since a template's rectangles are measured for that layout: a style's own
// (a group title above its frame, a larger box and gap) pushes them past their rectangles.
#include <qdrawutil.h>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/qt/control_kinds.h"

namespace platform::qt {
namespace {

constexpr int kTextFlags = Qt::TextSingleLine | Qt::TextShowMnemonic;

// The box at the left, vertically centred, as tall as a line of the font (Win32's 13 pixels for
// its 8-point dialog font) or the style's box if that is smaller; the text half a digit's width
// after it. The whole control takes the click.
class Win32CheckBox final : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  bool hitButton(const QPoint& position) const override { return rect().contains(position); }

  void paintEvent(QPaintEvent* /*event*/) override {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QFontMetrics& metrics = option.fontMetrics;
    const int side =
        std::min(metrics.height(), style()->pixelMetric(QStyle::PM_IndicatorHeight, &option, this));
    QStyleOptionButton box = option;
    box.rect = QRect(0, (height() - side) / 2, side, side);
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, box);

    const int textLeft = side + metrics.horizontalAdvance(QLatin1Char('0')) / 2;
    const QRect textArea(textLeft, 0, std::max(width() - textLeft, 0), height());
    painter.drawItemText(textArea, Qt::AlignLeft | Qt::AlignVCenter | kTextFlags, palette(),
                         isEnabled(), text(), QPalette::WindowText);
    // The focus cue goes round the text's line, inside the control even where the control is
    // no taller than the line.
    if ((option.state & QStyle::State_HasFocus) != 0 &&
        (option.state & QStyle::State_KeyboardFocusChange) != 0) {
      const int textWidth = metrics.size(kTextFlags, text()).width();
      const int lineHeight = std::min(metrics.height(), height());
      QStyleOptionFocusRect focus;
      focus.QStyleOption::operator=(option);
      focus.rect = QRect(textLeft - 1, (height() - lineHeight) / 2, textWidth + 2, lineHeight)
                       .intersected(rect());
      focus.backgroundColor = palette().color(QPalette::Window);
      painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
  }
};

// An etched frame at the control's rectangle, except that its top line runs through the middle
// of the title's line; the title on that line a few pixels in from the left, the line broken
// under it.
class Win32GroupBox final : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    constexpr int kTitleInset = 7;
    const QString title = this->title();
    QRect titleArea;
    if (!title.isEmpty()) {
      titleArea = QRect(QPoint(kTitleInset, 0), metrics.size(kTextFlags, title));
    }
    QRect frame = rect();
    frame.setTop(metrics.height() / 2);
    painter.setClipRegion(QRegion(rect()).subtracted(QRegion(titleArea.adjusted(-1, 0, 1, 0))));
    qDrawShadeRect(&painter, frame, palette(), true, 1, 0);
    painter.setClipping(false);
    style()->drawItemText(&painter, titleArea, Qt::AlignLeft | Qt::AlignTop | kTextFlags, palette(),
                          isEnabled(), title, QPalette::WindowText);
  }
};

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
      : ControlView(std::make_unique<Win32CheckBox>(context.parent)),
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
      : ControlView(std::make_unique<Win32GroupBox>(context.parent)),
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
