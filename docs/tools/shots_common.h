#pragma once
// Shared by the window_shots_* tools: each builds one program's windows
// offscreen on sample files and saves pictures of them for the manual.
//   window_shots_<program> SAMPLE_FOLDER PICTURE_FOLDER
#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPixmap>
#include <QStorageInfo>
#include <QStringList>
#include <QTabWidget>
#include <QThread>
#include <QTreeView>
#include <QWidget>
#include <cstdio>
#include <functional>

#include "platform/ui/desktop_services.h"
#include "platform/ui/file_picker_panel.h"
#include "platform/ui/message_service.h"

namespace shots {

struct Folders {
  QString samples;
  QString pictures;
};

inline void Settle(int milliseconds = 300) {
  // The folder models fill in the background; give them time to arrive.
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < milliseconds) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(10);
  }
}

inline bool Save(QWidget* widget, const Folders& folders, const QString& name) {
  widget->show();
  widget->raise();
  Settle();
  const QString path = QDir(folders.pictures).filePath(name + ".png");
  if (!widget->grab().save(path)) {
    std::fprintf(stderr, "window_shots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

// Shows `folder` in every file picker of the window and selects `names`.
inline void PointPickers(QWidget* window, const QString& folder, const QStringList& names) {
  for (auto* panel : window->findChildren<platform::ui::FilePickerPanel*>()) {
    panel->SetDrive(QStorageInfo(folder).rootPath());
    panel->SetFolder(QDir::toNativeSeparators(folder));
    Settle(200);
    // Open the tree at the folder, as a user who clicked there would see it.
    QTreeView* tree = panel->FolderTree();
    if (auto* model = qobject_cast<QFileSystemModel*>(tree->model())) {
      const QModelIndex index = model->index(folder);
      tree->expand(index);
      tree->setCurrentIndex(index);
      Settle(200);
      // Only the path to the sample folder and the folders beside it: the
      // rest of the machine is no business of the pictures.
      for (QModelIndex keep = index.parent(); keep.isValid(); keep = keep.parent()) {
        const QModelIndex parent = keep.parent();
        for (int row = 0; row < model->rowCount(parent); ++row)
          if (row != keep.row()) tree->setRowHidden(row, parent, true);
      }
      tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
    }
    panel->SelectFiles(names);
  }
}

template <typename T>
T* Child(QWidget* window, const char* name) {
  T* child = window->findChild<T*>(QString::fromLatin1(name));
  if (child == nullptr) std::fprintf(stderr, "window_shots: no control %s\n", name);
  return child;
}

inline void SetText(QWidget* window, const char* name, const QString& text) {
  if (auto* edit = Child<QLineEdit>(window, name)) edit->setText(text);
}

inline void Click(QWidget* window, const char* name) {
  if (auto* button = Child<QAbstractButton>(window, name)) button->click();
  Settle(200);
}

inline void ShowTab(QWidget* window, int index) {
  if (auto* tabs = window->findChild<QTabWidget*>()) tabs->setCurrentIndex(index);
}

inline QStringList FilesIn(const QString& folder) {
  return QDir(folder).entryList(QDir::Files, QDir::Name);
}

inline int Run(int argc, char** argv, const std::function<bool(const Folders&)>& shoot) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SAMPLE_FOLDER PICTURE_FOLDER\n", argv[0]);
    return 2;
  }
  const Folders folders{QDir(argv[1]).absolutePath(), QDir(argv[2]).absolutePath()};
  QDir().mkpath(folders.pictures);
  return shoot(folders) ? 0 : 1;
}

}  // namespace shots
