// The views of each kind of control, made by MakeControlView. Internal to platform/qt.
#pragma once

#include <memory>

#include "platform/qt/control_view.h"

namespace platform::qt {

std::unique_ptr<ControlView> MakeDialogView(const ViewContext& context);
// PushButton, CheckBox, GroupBox.
std::unique_ptr<ControlView> MakeButtonView(ControlKind kind, const ViewContext& context);
// Label, Icon, BlackRect.
std::unique_ptr<ControlView> MakeStaticView(ControlKind kind, const ViewContext& context);
// Surface: with a frame; without one for a window that is no control.
std::unique_ptr<ControlView> MakeSurfaceView(QWidget* parent, bool framed);
std::unique_ptr<ControlView> MakeEditView(const ViewContext& context);
std::unique_ptr<ControlView> MakeComboBoxView(const ViewContext& context);
std::unique_ptr<ControlView> MakeListBoxView(const ViewContext& context);
std::unique_ptr<ControlView> MakeUpDownView(const ViewContext& context);

}  // namespace platform::qt
