// List boxes: single selection, entries drawn with their TABs at the list's tab stops.
#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QListWidget>
#include <QPainter>
#include <QSignalBlocker>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>

#include <memory>
#include <optional>
#include <utility>

#include "platform/qt/control_kinds.h"
#include "platform/qt/tab_stops.h"

namespace platform::qt {
namespace {

constexpr int kEntryPadding = 2;

class TabbedEntryDelegate final : public QStyledItemDelegate {
 public:
  explicit TabbedEntryDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

  // Null stops: TABs are not laid out (a list without LBS_USETABSTOPS).
  void SetStops(std::optional<TabStops> stops) { stops_ = std::move(stops); }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    const QWidget* widget = item.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    // Background, selection and focus frame as the style draws them; the text is ours.
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    QPalette::ColorGroup group = QPalette::Disabled;
    if ((item.state & QStyle::State_Enabled) != 0) {
      group = (item.state & QStyle::State_Active) != 0 ? QPalette::Normal : QPalette::Inactive;
    }
    const bool selected = (item.state & QStyle::State_Selected) != 0;
    painter->save();
    painter->setFont(item.font);
    painter->setPen(
        item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setClipRect(area);
    const QFontMetrics metrics(item.font);
    int x = 0;
    for (const QString& piece : Pieces(text)) {
      painter->drawText(
          QPoint(area.left() + x,
                 area.top() + (area.height() - metrics.height()) / 2 + metrics.ascent()),
          piece);
      x = NextTabStop(*stops_, x + metrics.horizontalAdvance(piece));
    }
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QFontMetrics metrics(item.font);
    int x = 0;
    const QStringList pieces = Pieces(item.text);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
      x += metrics.horizontalAdvance(pieces[i]);
      if (i + 1 < pieces.size()) x = NextTabStop(*stops_, x);
    }
    return QSize(x + 2 * kEntryPadding + 2, metrics.height() + kEntryPadding);
  }

 private:
  // The pieces between TABs; without stops, the whole entry with its TABs shown as spaces.
  QStringList Pieces(const QString& text) const {
    if (!stops_) {
      QString shown = text;
      shown.replace(QLatin1Char('\t'), QLatin1Char(' '));
      return {shown};
    }
    return text.split(QLatin1Char('\t'));
  }

  std::optional<TabStops> stops_;
};

class ListBoxView final : public ControlView {
 public:
  explicit ListBoxView(const ViewContext& context)
      : ControlView(std::make_unique<QListWidget>(context.parent)),
        list_(static_cast<QListWidget*>(Widget())),
        delegate_(new TabbedEntryDelegate(list_)),
        units_(context.units) {
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setItemDelegate(delegate_);
    list_->setUniformItemSizes(true);
    list_->setSortingEnabled(false);
    QObject::connect(list_, &QListWidget::currentRowChanged, [report = context.report](int row) {
      if (row >= 0) report(UserAction::Pick, row, {});
    });
    WatchDialogKeys(list_, context, false);
  }

 protected:
  void MirrorState(const ControlSnapshot& snapshot) override {
    ApplyFocusPolicy(list_, snapshot.tabStop, true);
    list_->setVerticalScrollBarPolicy((snapshot.style & WS_VSCROLL) != 0 ? Qt::ScrollBarAsNeeded
                                                                         : Qt::ScrollBarAlwaysOff);
    list_->setHorizontalScrollBarPolicy(
        (snapshot.style & WS_HSCROLL) != 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    list_->setFrameShape((snapshot.style & WS_BORDER) != 0 ? QFrame::StyledPanel : QFrame::NoFrame);

    const QSignalBlocker blocker(list_);
    std::optional<TabStops> stops;
    if ((snapshot.style & LBS_USETABSTOPS) != 0) stops = TabStopsFor(snapshot.tabStops, units_);
    QStringList entries;
    entries.reserve(static_cast<qsizetype>(snapshot.items.size()));
    for (const std::string& item : snapshot.items) entries.append(FromAnsi(item));
    if (entries != shown_ || snapshot.tabStops != Last().tabStops ||
        snapshot.style != Last().style) {
      delegate_->SetStops(stops);
      list_->clear();
      list_->addItems(entries);
      shown_ = entries;
    }
    if (snapshot.selection >= 0 && snapshot.selection < list_->count()) {
      list_->setCurrentRow(snapshot.selection);
      list_->scrollToItem(list_->item(snapshot.selection));
    } else {
      list_->setCurrentRow(-1);
      list_->clearSelection();
    }
  }

 private:
  QListWidget* list_;
  TabbedEntryDelegate* delegate_;  // owned by the list
  BaseUnits units_;
  QStringList shown_;
};

}  // namespace

std::unique_ptr<ControlView> MakeListBoxView(const ViewContext& context) {
  return std::make_unique<ListBoxView>(context);
}

}  // namespace platform::qt
