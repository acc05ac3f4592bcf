// The Qt view of one dialog control, or of the dialog itself: a widget that mirrors the
// control's state as the dialog manager keeps it, and reports what the user does to it. The
// view never changes that state itself: every action goes through DeliverUserAction, and the
// widget follows when the manager reports the change (ControlChanged).
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "platform/backend.h"
#include "platform/qt/dialog_font.h"
#include "platform/user/dialog_controls.h"

namespace platform::qt {

// Hands a user's action to the dialog manager (DeliverUserAction on the view's window).
using ActionReport = std::function<void(UserAction action, int value, std::string text)>;

struct ViewContext {
  QWidget* parent = nullptr;    // the dialog's (or the hosting control's) widget; null for a dialog
  ActionReport report;          // actions on this window
  ActionReport reportToDialog;  // the dialog keys: Return, Escape, F1
  BaseUnits units;              // the dialog font's
  QFont font;                   // the dialog font (used by a dialog view)
};

class ControlView {
 public:
  explicit ControlView(std::unique_ptr<QWidget> widget);
  virtual ~ControlView();
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;

  QWidget* Widget() const { return widget_.get(); }
  // The state last mirrored.
  const ControlSnapshot& Last() const { return last_; }
  // Brings the widget in line with the control.
  void Update(const ControlSnapshot& snapshot);
  // Lets go of a widget that Qt has already torn down (after the application has ended).
  void Abandon() { static_cast<void>(widget_.release()); }
  // Shows or hides the native window (ShowWindow), ahead of the next snapshot.
  virtual void Show(bool visible) { widget_->setVisible(visible); }

  // The client pixels of a control the system draws on; empty for the others. Valid until the
  // view is destroyed.
  virtual PixelSurface Surface() { return {}; }
  // Repaints a changed rectangle of that surface.
  virtual void Present(const RECT& /*changed*/) {}

 protected:
  // Geometry, enabled and shown as a child widget does them, around MirrorState.
  virtual void Mirror(const ControlSnapshot& snapshot);
  // The kind's own state: text, check, entries, selection.
  virtual void MirrorState(const ControlSnapshot& snapshot) = 0;

 private:
  std::unique_ptr<QWidget> widget_;
  ControlSnapshot last_;
};

// The view of a control kind inside `context.parent`, or of a dialog; null for
// ControlKind::None.
std::unique_ptr<ControlView> MakeControlView(const ControlSnapshot& snapshot,
                                             const ViewContext& context);

// A plain drawing surface for a window that is no control but lives inside one of ours (a
// player that a library puts into a control), at the window's own place.
std::unique_ptr<ControlView> MakeChildSurfaceView(QWidget* parent,
                                                  const NativeWindowParams& params);

// Window texts are the system's single-byte text in the locale's code page.
QString FromAnsi(const std::string& text);
std::string ToAnsi(const QString& text);

// How a control takes the focus: Tab reaches WS_TABSTOP controls only; a control that takes
// input without WS_TABSTOP still takes the focus when clicked; the others never.
void ApplyFocusPolicy(QWidget* widget, bool tabStop, bool takesInput);

// Return, Escape and F1 pressed in `widget` go to the dialog as Win32's dialog manager takes
// them (Return on a push button clicks that button), before the widget's own handling.
void WatchDialogKeys(QWidget* widget, const ViewContext& context, bool isPushButton);

}  // namespace platform::qt
