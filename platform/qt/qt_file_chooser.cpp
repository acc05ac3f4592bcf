#include "platform/qt/qt_file_chooser.h"

#include <QFile>
#include <QFileDialog>
#include <QStringList>

namespace platform::qt {
namespace {

// "*.jpg" becomes "*.[jJ][pP][gG]": Qt compares names with their case on Linux. Letters inside
// a bracket expression of the pattern stay as they are.
QString CaseBlind(const QString& pattern) {
  QString blind;
  bool inBrackets = false;
  for (const QChar c : pattern) {
    if (c == '[') inBrackets = true;
    if (c == ']') inBrackets = false;
    if (!inBrackets && c.toLower() != c.toUpper()) {
      blind += '[';
      blind += c.toLower();
      blind += c.toUpper();
      blind += ']';
    } else {
      blind += c;
    }
  }
  return blind;
}

}  // namespace

QString NameFilter(const FileRequest::Filter& filter) {
  QStringList patterns;
  for (const std::string& pattern : filter.patterns) {
    patterns.append(CaseBlind(QFile::decodeName(pattern.c_str())));
  }
  // The dialog shows the description alone (HideNameFilterDetails) and matches the patterns in
  // the last parentheses.
  return QString::fromLocal8Bit(filter.description.c_str()) + " (" + patterns.join(' ') + ")";
}

bool ChooseFilesWithDialog(QWidget* parent, const FileRequest& request,
                           std::vector<std::string>* chosen) {
  QFileDialog dialog(parent, QString::fromLocal8Bit(request.title.c_str()),
                     QFile::decodeName(request.folder.c_str()));
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails |
                    QFileDialog::ReadOnly);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (!request.mustExist) {
    dialog.setFileMode(QFileDialog::AnyFile);
  } else {
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  }
  QStringList filters;
  for (const FileRequest::Filter& filter : request.filters) filters.append(NameFilter(filter));
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.at(static_cast<qsizetype>(
        request.filter < static_cast<std::size_t>(filters.size()) ? request.filter : 0)));
  }
  dialog.setDefaultSuffix(QString::fromLocal8Bit(request.defaultExtension.c_str()));
  dialog.setWindowModality(parent != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
  // The chooser takes the keyboard as it opens, as on Windows, also where no window manager
  // hands it over.
  dialog.show();
  dialog.activateWindow();
  if (dialog.exec() != QDialog::Accepted) return false;
  chosen->clear();
  for (const QString& file : dialog.selectedFiles()) {
    chosen->emplace_back(QFile::encodeName(file).toStdString());
  }
  return !chosen->empty();
}

}  // namespace platform::qt
