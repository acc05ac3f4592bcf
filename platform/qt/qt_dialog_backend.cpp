#include "platform/qt/qt_dialog_backend.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/qt/accessible_names.h"
#include "platform/qt/control_view.h"
#include "platform/qt/dialog_font.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/qt_event_wait.h"
#include "platform/qt/qt_file_chooser.h"
#include "platform/user/dialog_controls.h"

namespace platform::qt {
namespace {

constexpr const char* kDialogClass = "#32770";
constexpr int kDefaultPointSize = 8;

bool IsControlClass(const std::string& name) {
  for (const char* control :
       {"BUTTON", "COMBOBOX", "EDIT", "LISTBOX", "STATIC", "msctls_updown32"}) {
    if (name == control) return true;
  }
  return false;
}

class QtDialogBackend final : public Backend {
 public:
  explicit QtDialogBackend(std::unique_ptr<Backend> inner) : inner_(std::move(inner)) {}

  ~QtDialogBackend() override {
    std::vector<HWND> topLevel;
    for (const auto& [window, shown] : shown_) {
      if (shown.parent == nullptr) topLevel.push_back(window);
    }
    for (HWND window : topLevel) Forget(window);
  }

  QtDialogBackend(const QtDialogBackend&) = delete;
  QtDialogBackend& operator=(const QtDialogBackend&) = delete;

  QWidget* WidgetOf(HWND window) {
    if (stale_.contains(window)) Refresh(window);
    ControlView* view = ViewOf(window);
    return view != nullptr ? view->Widget() : nullptr;
  }

  // --- What stays the wrapped backend's --------------------------------------------

  DWORD TickCount() override { return inner_->TickCount(); }
  void SleepFor(DWORD milliseconds) override { inner_->SleepFor(milliseconds); }
  int ScreenWidth() override { return inner_->ScreenWidth(); }
  int ScreenHeight() override { return inner_->ScreenHeight(); }
  bool ForeignWindowExists(std::uintptr_t nativeId) override {
    return inner_->ForeignWindowExists(nativeId);
  }
  bool ForeignClientSize(std::uintptr_t nativeId, int* width, int* height) override {
    return inner_->ForeignClientSize(nativeId, width, height);
  }
  std::uintptr_t FindNativeWindow(const char* className, const char* title) override {
    return inner_->FindNativeWindow(className, title);
  }
  std::uintptr_t DesktopWindowId() override { return inner_->DesktopWindowId(); }
  POINT CursorPos() override { return inner_->CursorPos(); }
  void SetCursorHidden(bool hidden) override { inner_->SetCursorHidden(hidden); }
  bool InputPending() override { return inner_->InputPending(); }
  int ConnectionFd() override { return inner_->ConnectionFd(); }
  Backend* Wrapped() override { return inner_.get(); }
  bool OpenHelp(const std::string& path, UINT command, std::string* problem) override {
    return inner_->OpenHelp(path, command, problem);
  }
  bool ChooseFiles(const FileRequest& request, std::vector<std::string>* chosen) override {
    if (!EnsureApplication()) return inner_->ChooseFiles(request, chosen);
    QWidget* owner = WidgetOf(request.owner);
    QWidget* top = owner != nullptr ? owner->window() : nullptr;
    const bool answered = ChooseFilesWithDialog(top, request, chosen);
    // The owner takes the keyboard back, as on Windows, also where no window manager hands it.
    if (top != nullptr) top->activateWindow();
    return answered;
  }
  void TimerChanged(HWND window, UINT_PTR id, UINT elapse) override {
    inner_->TimerChanged(window, id, elapse);
  }
  void DialogEnded(HWND dialog, INT_PTR result) override { inner_->DialogEnded(dialog, result); }
  IdleResult DialogIdle() override { return inner_->DialogIdle(); }

  // --- Windows: ours when they are dialogs or live inside one ---------------------

  bool CreateNativeWindow(HWND window, const NativeWindowParams& params) override {
    const bool dialog = params.className == kDialogClass;
    const bool inside = params.parent != nullptr && shown_.contains(params.parent);
    if (!dialog && !inside) return inner_->CreateNativeWindow(window, params);
    if (!EnsureApplication()) return false;
    Shown shown;
    if (dialog) {
      // A dialog owned by one of ours is a window of its own that stays in front of its owner.
      shown.parent = inside ? params.parent : nullptr;
      shown.dialog = window;
      shown.font = nextDialogFont_.value_or(DialogFont(nullptr, kDefaultPointSize));
      nextDialogFont_.reset();
      shown.units = MeasureBaseUnits(shown.font);
    } else {
      shown.parent = params.parent;
      shown.dialog = shown_.at(params.parent).dialog;
      if (!IsControlClass(params.className)) {
        ControlView* host = ViewOf(params.parent);
        if (host == nullptr) return false;
        shown.view = MakeChildSurfaceView(host->Widget(), params);
      }
    }
    shown_.emplace(window, std::move(shown));
    return true;
  }

  void DestroyNativeWindow(HWND window) override {
    if (!shown_.contains(window)) {
      inner_->DestroyNativeWindow(window);
      return;
    }
    const bool topLevel = shown_.at(window).parent == nullptr;
    Forget(window);
    // Qt takes a closed window off the screen when its events next run, which may be long
    // after the last dialog has gone.
    if (topLevel) QCoreApplication::sendPostedEvents();
    if (shown_.empty()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }

  void ShowNativeWindow(HWND window, bool visible) override {
    if (!shown_.contains(window)) {
      inner_->ShowNativeWindow(window, visible);
      return;
    }
    if (ControlView* view = ViewOf(window)) view->Show(visible);
  }

  PixelSurface Surface(HWND window) override {
    if (!shown_.contains(window)) return inner_->Surface(window);
    ControlView* view = ViewOf(window);
    return view != nullptr ? view->Surface() : PixelSurface{};
  }

  void Present(HWND window, const RECT& changed) override {
    if (!shown_.contains(window)) {
      inner_->Present(window, changed);
      return;
    }
    if (ControlView* view = ViewOf(window)) view->Present(changed);
  }

  void RaiseWindow(HWND window) override {
    if (!shown_.contains(window)) {
      inner_->RaiseWindow(window);
      return;
    }
    if (ControlView* view = ViewOf(window)) {
      QWidget* top = view->Widget()->window();
      top->raise();
      top->activateWindow();
    }
  }

  void ControlChanged(HWND window) override {
    if (!shown_.contains(window)) {
      inner_->ControlChanged(window);
      return;
    }
    // A list filled with thousands of entries changes once per entry: a view follows its window
    // once, when the toolkit next runs, instead of copying the whole list at every change.
    if (shown_.at(window).view != nullptr) {
      stale_.insert(window);
      if (!refresh_) {
        refresh_ = std::make_unique<QTimer>();
        refresh_->setSingleShot(true);
        QObject::connect(refresh_.get(), &QTimer::timeout, [this] { RefreshStale(); });
      }
      if (!refresh_->isActive()) refresh_->start(0);
      return;
    }
    ControlSnapshot snapshot;
    if (!SnapshotControl(window, &snapshot)) return;
    if (ControlView* view = shown_.at(window).view.get()) {
      view->Update(snapshot);
    } else {
      ViewOf(window, &snapshot);
    }
  }

  std::uint32_t DialogFaceColour() override {
    if (!EnsureApplication()) return inner_->DialogFaceColour();
    return QApplication::palette().color(QPalette::Window).rgb() & 0x00FFFFFFU;
  }

  void DialogFontUnits(const char* face, int pointSize, int* baseX, int* baseY) override {
    if (!EnsureApplication()) {
      inner_->DialogFontUnits(face, pointSize, baseX, baseY);
      return;
    }
    // The dialog manager measures the font right before it makes the dialog, which then
    // shows its texts in that font.
    QFont font = DialogFont(face, pointSize);
    const BaseUnits units = MeasureBaseUnits(font);
    nextDialogFont_ = std::move(font);
    *baseX = units.x;
    *baseY = units.y;
  }

  void DialogScreenSize(int* width, int* height) override {
    inner_->DialogScreenSize(width, height);
    if (!EnsureApplication()) return;
    // Dialogs are measured and placed in Qt's logical pixels, which a scale factor makes
    // larger than the wrapped backend's; a new window opens on the primary screen.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    if (ratio <= 0.0) return;
    *width = static_cast<int>(*width / ratio);
    *height = static_cast<int>(*height / ratio);
  }

  // --- The event loop -----------------------------------------------------------------

  void Pump() override {
    inner_->Pump();
    if (!shown_.empty()) events_.RunPending();
  }

  void Wait(int wakeFd, DWORD timeoutMs) override {
    if (shown_.empty()) {
      inner_->Wait(wakeFd, timeoutMs);
      return;
    }
    const int connection = inner_->ConnectionFd();
    if (connection < 0) {
      // A backend without a connection keeps a virtual clock: Qt's events are taken as they
      // are, and the wrapped backend moves its clock as it would without Qt.
      if (!events_.RunPending()) inner_->Wait(wakeFd, timeoutMs);
      return;
    }
    inner_->Wait(wakeFd, 0);  // sends what the wrapped backend still holds
    events_.Wait(wakeFd, connection, timeoutMs);
  }

 private:
  void RefreshStale() {
    const std::set<HWND> stale = std::move(stale_);
    stale_.clear();
    for (HWND window : stale) Refresh(window);
  }

  // Brings a view that fell behind its window up to date (nothing when the window is gone).
  void Refresh(HWND window) {
    stale_.erase(window);
    const auto found = shown_.find(window);
    if (found == shown_.end() || found->second.view == nullptr) return;
    ControlSnapshot snapshot;
    if (SnapshotControl(window, &snapshot)) found->second.view->Update(snapshot);
  }

  struct Shown {
    HWND parent = nullptr;  // the window it lives in (an owner dialog for a dialog); null: none
    HWND dialog = nullptr;  // the dialog it belongs to; itself for a dialog
    QFont font;             // a dialog's font and its base units
    BaseUnits units;
    std::unique_ptr<ControlView> view;  // made from the first snapshot
  };

  // The view of one of our windows, made from its snapshot when it has none yet; null when
  // the window has no view (yet).
  ControlView* ViewOf(HWND window, const ControlSnapshot* known = nullptr) {
    const auto found = shown_.find(window);
    if (found == shown_.end()) return nullptr;
    if (found->second.view != nullptr) return found->second.view.get();
    ControlSnapshot snapshot;
    if (known != nullptr) {
      snapshot = *known;
    } else if (!SnapshotControl(window, &snapshot)) {
      return nullptr;
    }
    Shown& shown = found->second;
    const Shown& dialog = shown_.at(shown.dialog);
    ViewContext context;
    if (shown.parent != nullptr) {
      ControlView* parent = ViewOf(shown.parent);
      if (parent == nullptr) return nullptr;
      context.parent = parent->Widget();
    }
    context.report = [this, window](UserAction action, int value, std::string text) {
      Report(window, action, value, std::move(text));
    };
    context.reportToDialog = [this, dialogWindow = shown.dialog](UserAction action, int value,
                                                                 std::string text) {
      Report(dialogWindow, action, value, std::move(text));
    };
    context.units = dialog.units;
    context.font = dialog.font;
    shown.view = MakeControlView(snapshot, context);
    if (shown.view == nullptr) return nullptr;
    shown.view->Update(snapshot);
    if (snapshot.kind != ControlKind::Dialog) {
      // Made in template order, each below the ones before: the first is on top, as in Win32.
      shown.view->Widget()->lower();
      ArrangeDialog(shown.dialog);
    }
    return shown.view.get();
  }

  void Report(HWND window, UserAction action, int value, std::string text) {
    DeliverUserAction(window, action, value, std::move(text));
    events_.Stop();
  }

  // Tab moves through the controls in template order, and the controls without a text of
  // their own are named after their label.
  void ArrangeDialog(HWND dialog) {
    std::vector<ControlView*> views;
    std::vector<ControlSnapshot> labels;
    for (HWND control : DialogControls(dialog)) {
      const auto found = shown_.find(control);
      if (found == shown_.end() || found->second.view == nullptr) continue;
      views.push_back(found->second.view.get());
      if (views.back()->Last().kind == ControlKind::Label) labels.push_back(views.back()->Last());
    }
    // A label a field's width to the left, or a line above.
    const BaseUnits& units = shown_.at(dialog).units;
    const int maxLeftGap = 8 * units.x;
    const int maxAboveGap = units.y;
    QWidget* previous = nullptr;
    for (ControlView* view : views) {
      QWidget* widget = view->Widget();
      if (NeedsLabel(view->Last().kind)) {
        widget->setAccessibleName(
            NearestLabelText(view->Last().bounds, labels, maxLeftGap, maxAboveGap));
      }
      if ((widget->focusPolicy() & Qt::TabFocus) == 0) continue;
      if (previous != nullptr) QWidget::setTabOrder(previous, widget);
      previous = widget;
    }
  }

  // Drops a window's view and those of the windows inside it, the inner ones first: a widget
  // deletes its children, which their own views must not do again.
  void Forget(HWND window) {
    std::vector<HWND> inside;
    for (const auto& [other, shown] : shown_) {
      if (shown.parent == window) inside.push_back(other);
    }
    for (HWND other : inside) Forget(other);
    const auto found = shown_.find(window);
    if (found == shown_.end()) return;
    // Past the end of the application Qt has already torn its windows down.
    if (QCoreApplication::instance() == nullptr && found->second.view != nullptr) {
      found->second.view->Abandon();
    }
    shown_.erase(found);
  }

  std::unique_ptr<Backend> inner_;
  std::map<HWND, Shown> shown_;
  std::set<HWND> stale_;  // windows whose views are to follow them when the toolkit next runs
  std::unique_ptr<QTimer> refresh_;  // runs once the toolkit runs again, for stale_
  std::optional<QFont> nextDialogFont_;
  QtEventWait events_;
};

}  // namespace

bool InstallDialogToolkit() {
  std::unique_ptr<Backend> inner = ReleaseBackend();
  if (inner == nullptr) return false;
  InstallBackend(std::make_unique<QtDialogBackend>(std::move(inner)));
  return true;
}

QWidget* WidgetOf(HWND window) {
  auto* backend = InstalledBackendOf<QtDialogBackend>();
  return backend != nullptr ? backend->WidgetOf(window) : nullptr;
}

}  // namespace platform::qt
