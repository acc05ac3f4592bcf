// The player's Qt widgets: play/pause and stop, the position slider, the times, the clip's name
// and a status line, laid out inside the host control and following its size.
#include <QApplication>
#include <QBoxLayout>
#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QResizeEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <utility>

#include "libs/raui/player_view.h"
#include "libs/raui/raui.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/qt_dialog_backend.h"

namespace raui {
namespace {

// Slow enough that an idle-looking player costs nothing, quick enough for a smooth slider.
constexpr int kTickMs = 150;

// One Fusion style for every player: the same look whatever the desktop's style.
QStyle* PlayerStyle() {
  static QPointer<QStyle> style;
  if (style.isNull()) {
    style = QStyleFactory::create(QStringLiteral("Fusion"));
    // Ends with the application, after every widget that used it.
    if (!style.isNull()) style->setParent(QCoreApplication::instance());
  }
  return style.data();
}

QString Minutes(LONG milliseconds) {
  const LONG seconds = milliseconds / 1000;
  return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The player itself: a child of the host, covering the inside of its frame.
class PlayerWidget final : public QWidget {
 public:
  PlayerWidget(QWidget* host, PlayerActions actions)
      : QWidget(host), host_(host), actions_(std::move(actions)) {
    setObjectName(QStringLiteral("clipPlayer"));
    name_->setObjectName(QStringLiteral("name"));
    status_->setObjectName(QStringLiteral("status"));
    elapsed_->setObjectName(QStringLiteral("elapsed"));
    total_->setObjectName(QStringLiteral("total"));
    position_->setObjectName(QStringLiteral("position"));
    play_->setObjectName(QStringLiteral("play"));
    stop_->setObjectName(QStringLiteral("stop"));
    for (QLabel* label : {name_, status_}) {
      label->setTextFormat(Qt::PlainText);
      // Long names are cut to the width, never widen the player.
      label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    status_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    total_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    position_->setOrientation(Qt::Horizontal);
    play_->setFocusPolicy(Qt::TabFocus);
    stop_->setFocusPolicy(Qt::TabFocus);
    timer_->setInterval(kTickMs);

    auto* times = new QHBoxLayout;
    times->addWidget(elapsed_);
    times->addStretch(1);
    times->addWidget(total_);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    buttons->addWidget(play_);
    buttons->addWidget(stop_);
    buttons->addWidget(status_, 1);
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(6, 2, 6, 4);
    rows->setSpacing(1);
    rows->addStretch(1);
    rows->addWidget(name_);
    rows->addWidget(position_);
    rows->addLayout(times);
    rows->addLayout(buttons);
    rows->addStretch(1);

    if (QStyle* style = PlayerStyle(); style != nullptr) {
      setStyle(style);
      // A widget's style is not its children's.
      for (QWidget* child : findChildren<QWidget*>()) child->setStyle(style);
    }
    connect(play_, &QToolButton::clicked, this, [this] { actions_.playOrPause(); });
    connect(stop_, &QToolButton::clicked, this, [this] { actions_.stop(); });
    connect(position_, &QSlider::valueChanged, this, [this](int value) {
      if (!showing_) actions_.seek(value);
    });
    connect(timer_, &QTimer::timeout, this, [this] { actions_.tick(); });
    host_->installEventFilter(this);
    FitHost();
    show();
  }

  ~PlayerWidget() override {
    if (!host_.isNull()) host_->removeEventFilter(this);
    if (!released_) actions_.hostGone();
  }
  PlayerWidget(const PlayerWidget&) = delete;
  PlayerWidget& operator=(const PlayerWidget&) = delete;

  // The view lets go of the player: deleting it is no host going away.
  void Release() { released_ = true; }

  void Show(const PlayerDisplay& display) {
    showing_ = true;
    const bool open = display.state != PlayState::Empty;
    const bool playing = display.state == PlayState::Playing;
    nameText_ = QString::fromLocal8Bit(display.name.c_str());
    statusText_ = QString::fromLocal8Bit(display.status.c_str());
    ElideTexts();
    play_->setEnabled(open);
    stop_->setEnabled(open);
    position_->setEnabled(open);
    play_->setText(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    play_->setToolTip(play_->text());
    play_->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    position_->setRange(0, static_cast<int>(display.lengthMs));
    position_->setPageStep(std::max(1, static_cast<int>(display.lengthMs / 10)));
    // The user's drag wins over the clip's progress.
    if (!position_->isSliderDown()) position_->setValue(static_cast<int>(display.playedMs));
    elapsed_->setText(Minutes(display.playedMs));
    total_->setText(Minutes(display.lengthMs));
    if (playing && !timer_->isActive()) timer_->start();
    if (!playing) timer_->stop();
    showing_ = false;
  }

  void Arrange(const PlayerLayout& layout) {
    const bool buttons = (layout.controls & RAGUI_CONTROL_PLAY) != 0;
    const bool position = (layout.controls & RAGUI_CONTROL_POSITION) != 0;
    const bool status = (layout.controls & RAGUI_CONTROL_STATUS) != 0;
    play_->setVisible(buttons);
    stop_->setVisible(buttons);
    for (QWidget* part : std::initializer_list<QWidget*>{position_, elapsed_, total_}) {
      part->setVisible(position);
    }
    name_->setVisible(status);
    status_->setVisible(status);
    const auto look = layout.noLabels ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon;
    play_->setToolButtonStyle(look);
    stop_->setToolButtonStyle(look);
    stop_->setText(QStringLiteral("Stop"));
    stop_->setToolTip(stop_->text());
    stop_->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == host_ && event->type() == QEvent::Resize) FitHost();
    return false;
  }

  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    ElideTexts();
  }

 private:
  void FitHost() {
    const auto* frame = qobject_cast<const QFrame*>(host_.data());
    setGeometry(frame != nullptr ? frame->contentsRect() : host_->rect());
  }

  void ElideTexts() {
    for (auto [label, text] : {std::pair{name_, &nameText_}, std::pair{status_, &statusText_}}) {
      const int width = std::max(label->width(), 1);
      label->setText(label->fontMetrics().elidedText(*text, Qt::ElideMiddle, width));
      label->setToolTip(*text);
    }
  }

  QPointer<QWidget> host_;
  PlayerActions actions_;
  QLabel* name_ = new QLabel(this);
  QLabel* status_ = new QLabel(this);
  QLabel* elapsed_ = new QLabel(QStringLiteral("0:00"), this);
  QLabel* total_ = new QLabel(QStringLiteral("0:00"), this);
  QSlider* position_ = new QSlider(this);
  QToolButton* play_ = new QToolButton(this);
  QToolButton* stop_ = new QToolButton(this);
  QTimer* timer_ = new QTimer(this);
  QString nameText_;
  QString statusText_;
  bool showing_ = false;  // while Show moves the slider, its moves are no user's seeks
  bool released_ = false;
};

class WidgetView final : public PlayerView {
 public:
  WidgetView(QWidget* host, PlayerActions actions)
      : widget_(new PlayerWidget(host, std::move(actions))) {}
  ~WidgetView() override {
    // Gone already when its host went first (the dialog ended before the player).
    if (!widget_.isNull()) widget_->Release();
    delete widget_.data();
  }
  WidgetView(const WidgetView&) = delete;
  WidgetView& operator=(const WidgetView&) = delete;

  void Show(const PlayerDisplay& display) override {
    if (!widget_.isNull()) widget_->Show(display);
  }
  void Arrange(const PlayerLayout& layout) override {
    if (!widget_.isNull()) widget_->Arrange(layout);
  }

 private:
  QPointer<PlayerWidget> widget_;  // owned by its host as Qt sees it; deleted by the view
};

}  // namespace

std::unique_ptr<PlayerView> MakeWidgetView(HWND window, const PlayerLayout& layout,
                                           PlayerActions actions) {
  QWidget* host = platform::qt::WidgetOf(window);
  // A widget means Qt runs; this only checks that it runs on this thread.
  if (host == nullptr || !platform::qt::EnsureApplication()) return nullptr;
  auto view = std::make_unique<WidgetView>(host, std::move(actions));
  view->Arrange(layout);
  return view;
}

}  // namespace raui
