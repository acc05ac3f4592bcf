// GetOpenFileName with the Qt view installed: Qt's own file dialog opens over the dialog in the
// request's folder with its filters, matches names whatever their case, and hands back the
// chosen files in Win32's form.
#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform/qt/qt_application.h"
#include "tests/platform/qt/qt_dialog_session.h"

namespace qt_dialog_test {
namespace {

constexpr char kPictureFilters[] =
    "JPEG (*.jpg)\0*.jpg;*.jpeg\0"
    "Windows Bitmap (*.bmp)\0*.bmp\0"
    "CompuServe GIF (*.gif)\0*.gif\0"
    "Tagged Image File (*.tif)\0*.tif;*.tiff\0"
    "ZSoft Paintbrush (*.pcx)\0*.pcx\0"
    "PNG and WebP (*.png, *.webp)\0*.png;*.webp\0";

// What the chooser showed when it had listed its folder.
struct Seen {
  QString title;
  QString folder;
  QStringList filters;  // as the filter box shows them
  QString filter;       // the one chosen
  QStringList listed;   // the names it offers, sorted
};

QStringList Listed(QFileDialog* chooser) {
  QStringList names;
  auto* view = chooser->findChild<QListView*>("listView");
  if (view == nullptr || view->model() == nullptr) return names;
  const QModelIndex root = view->rootIndex();
  for (int row = 0; row < view->model()->rowCount(root); ++row) {
    const QModelIndex index = view->model()->index(row, 0, root);
    if ((view->model()->flags(index) & Qt::ItemIsEnabled) != 0)
      names.append(index.data().toString());
  }
  names.sort();
  return names;
}

// Once the chooser lists `expected` names, notes what it shows, selects `pick` and accepts.
void AnswerChooser(int expected, const QStringList& pick, Seen* seen) {
  // Owned by the application, should the chooser never come.
  auto* poll = new QTimer(QCoreApplication::instance());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  QObject::connect(poll, &QTimer::timeout, [=] {
    auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (chooser == nullptr) return;
    const QStringList listed = Listed(chooser);
    if (listed.size() < expected && std::chrono::steady_clock::now() < deadline) return;
    poll->deleteLater();
    seen->title = chooser->windowTitle();
    seen->folder = chooser->directory().absolutePath();
    if (auto* box = chooser->findChild<QComboBox*>("fileTypeCombo")) {
      for (int i = 0; i < box->count(); ++i) seen->filters.append(box->itemText(i));
      seen->filter = box->currentText();
    }
    seen->listed = listed;
    auto* view = chooser->findChild<QListView*>("listView");
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
      const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
      if (pick.contains(index.data().toString())) {
        view->selectionModel()->select(index,
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
      }
    }
    QMetaObject::invokeMethod(chooser, "accept", Qt::QueuedConnection);
  });
  poll->start(10);
}

TEST(QtFileChooserTest, ChoosesInTheRequestsFolderWithItsFiltersIgnoringCase) {
  ASSERT_TRUE(platform::qt::EnsureApplication());
  QTemporaryDir temporary;
  ASSERT_TRUE(temporary.isValid());
  const QString folder = QDir(temporary.path()).canonicalPath();
  for (const char* name : {"HOLIDAY.JPG", "beach.jpeg", "sea.jpg", "plan.bmp", "note.txt"}) {
    QFile file(folder + "/" + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  const std::string folderBytes = QFile::encodeName(folder).toStdString();

  Seen seen;
  std::string result;
  WORD nameOffset = 0;
  BOOL chosen = FALSE;
  RunDialog(nullptr, {[&](HWND dialog) {
              AnswerChooser(3, {"HOLIDAY.JPG", "sea.jpg"}, &seen);
              std::vector<char> buffer(4096, '\x7f');
              OPENFILENAMEA request{};
              request.lStructSize = OPENFILENAME_SIZE_VERSION_400;
              request.hwndOwner = dialog;
              request.lpstrFilter = kPictureFilters;
              request.lpstrFile = buffer.data();
              request.nMaxFile = static_cast<DWORD>(buffer.size());
              request.lpstrInitialDir = folderBytes.c_str();
              request.lpstrTitle = "Select file to add";
              request.Flags =
                  OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
              request.lpstrDefExt = "jpg";
              chosen = GetOpenFileNameA(&request);
              nameOffset = request.nFileOffset;
              result.assign(buffer.data(), buffer.size());
            }});

  EXPECT_EQ(seen.title, "Select file to add");
  EXPECT_EQ(seen.folder, folder);
  EXPECT_EQ(seen.filters,
            QStringList({"JPEG (*.jpg)", "Windows Bitmap (*.bmp)", "CompuServe GIF (*.gif)",
                         "Tagged Image File (*.tif)", "ZSoft Paintbrush (*.pcx)",
                         "PNG and WebP (*.png, *.webp)"}));
  EXPECT_EQ(seen.filter, "JPEG (*.jpg)");
  EXPECT_EQ(seen.listed, QStringList({"HOLIDAY.JPG", "beach.jpeg", "sea.jpg"}));

  ASSERT_EQ(chosen, TRUE);
  // The folder, a NUL, each name and its NUL, and an empty name.
  EXPECT_EQ(nameOffset, folderBytes.size() + 1);
  EXPECT_EQ(result.substr(0, nameOffset), folderBytes + '\0');
  std::vector<std::string> names;
  std::size_t at = nameOffset;
  while (at < result.size() && result[at] != '\0') {
    names.emplace_back(result.c_str() + at);
    at += names.back().size() + 1;
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"HOLIDAY.JPG", "sea.jpg"}));
  EXPECT_EQ(result[at], '\0');
}

}  // namespace
}  // namespace qt_dialog_test
