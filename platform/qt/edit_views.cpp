// Single-line edit fields and drop-down lists.
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringList>

#include <algorithm>
#include <deque>
#include <memory>
#include <string>

#include "platform/qt/control_kinds.h"

namespace platform::qt {
namespace {

class EditView final : public ControlView {
 public:
  explicit EditView(const ViewContext& context)
      : ControlView(std::make_unique<QLineEdit>(context.parent)),
        edit_(static_cast<QLineEdit*>(Widget())) {
    // textEdited is the user's typing only, never a text set from the model.
    QObject::connect(edit_, &QLineEdit::textEdited,
                     [this, report = context.report](const QString& text) {
                       typed_.push_back(ToAnsi(text));
                       report(UserAction::Edit, 0, typed_.back());
                     });
    WatchDialogKeys(edit_, context, false);
  }

 protected:
  void MirrorState(const ControlSnapshot& snapshot) override {
    ApplyFocusPolicy(edit_, snapshot.tabStop, true);
    // The user's texts come back one by one as the manager takes them, maybe after the user
    // has typed on: the field already shows a newer one, and setting an older one would undo
    // keys and move the cursor. Any other text is the manager's own and replaces the field's.
    if (!typed_.empty()) {
      if (typed_.front() == snapshot.text) {
        typed_.pop_front();
        return;
      }
      // Something else changed (enabled, say) before the user's texts came back.
      if (snapshot.text == Last().text) return;
    }
    typed_.clear();
    const QString text = FromAnsi(snapshot.text);
    if (edit_->text() == text) return;
    const QSignalBlocker blocker(edit_);
    edit_->setText(text);
  }

 private:
  QLineEdit* edit_;
  std::deque<std::string> typed_;  // reported, not yet seen back from the manager
};

// The entries in the manager's order: it sorts a CBS_SORT list itself, and Qt never does.
class ComboBoxView final : public ControlView {
 public:
  explicit ComboBoxView(const ViewContext& context)
      : ControlView(std::make_unique<QComboBox>(context.parent)),
        combo_(static_cast<QComboBox*>(Widget())) {
    combo_->setEditable(false);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    // activated is a user's choice only, also of the entry already chosen, as CBN_SELCHANGE
    // is sent for a choice from the list.
    QObject::connect(combo_, &QComboBox::activated,
                     [report = context.report](int index) { report(UserAction::Pick, index, {}); });
    WatchDialogKeys(combo_, context, false);
  }

 protected:
  void Mirror(const ControlSnapshot& snapshot) override {
    ControlView::Mirror(snapshot);
    // The template's height includes the dropped-down list; the closed box is as tall as its
    // text needs, and the list shows as many entries as the template's height holds.
    const int listHeight = static_cast<int>(snapshot.bounds.bottom - snapshot.bounds.top);
    const int boxHeight = std::min(listHeight, combo_->sizeHint().height());
    combo_->resize(combo_->width(), boxHeight);
    const int entryHeight = std::max(combo_->fontMetrics().height(), 1);
    combo_->setMaxVisibleItems(std::max((listHeight - boxHeight) / entryHeight, 1));
  }

  void MirrorState(const ControlSnapshot& snapshot) override {
    ApplyFocusPolicy(combo_, snapshot.tabStop, true);
    const QSignalBlocker blocker(combo_);
    QStringList entries;
    entries.reserve(static_cast<qsizetype>(snapshot.items.size()));
    for (const std::string& item : snapshot.items) entries.append(FromAnsi(item));
    if (entries != shown_) {
      combo_->clear();
      combo_->addItems(entries);
      shown_ = entries;
    }
    combo_->setCurrentIndex(snapshot.selection);
  }

 private:
  QComboBox* combo_;
  QStringList shown_;
};

}  // namespace

std::unique_ptr<ControlView> MakeEditView(const ViewContext& context) {
  return std::make_unique<EditView>(context);
}

std::unique_ptr<ControlView> MakeComboBoxView(const ViewContext& context) {
  return std::make_unique<ComboBoxView>(context);
}

}  // namespace platform::qt
