// GetOpenFileName's chooser: Qt's own file dialog, so that the same widgets show on every
// desktop and tests can reach them.
#pragma once

#include <QString>

#include <string>
#include <vector>

#include "platform/backend.h"

class QWidget;

namespace platform::qt {

// The Qt name filter of a request's filter: its description, then its patterns, each matching
// names whatever their letters' case ("*.jpg" takes HOLIDAY.JPG, as on Windows).
QString NameFilter(const FileRequest::Filter& filter);

// Runs the chooser for `request`, modal over `parent` (null: over the application); true with
// the chosen files' full paths, false when the user cancels.
bool ChooseFilesWithDialog(QWidget* parent, const FileRequest& request,
                           std::vector<std::string>* chosen);

}  // namespace platform::qt
