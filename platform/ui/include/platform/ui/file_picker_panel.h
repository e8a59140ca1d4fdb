#pragma once
// The drive list, folder tree and multi-select file list that every program
// uses to pick its input files, as one reusable panel.
#include <QStringList>
#include <QWidget>
#include <functional>

class QComboBox;
class QLineEdit;
class QTreeView;
class QListWidget;
class QFileSystemModel;

namespace platform::ui {

// Mounted volumes that are ready, plus the home folder; on Windows the drive
// letters. The first entry is the one a panel starts on.
QStringList ReadyDrives();

class FilePickerPanel : public QWidget {
  Q_OBJECT
 public:
  explicit FilePickerPanel(QWidget* parent = nullptr);

  // The three controls, so a program can give them its own object names
  // (for example Drive1, Dir1, File1) and place them itself.
  QComboBox* DriveList() const { return drives_; }
  QTreeView* FolderTree() const { return folders_; }
  QListWidget* FileList() const { return files_; }
  // A box showing the folder, into which a folder or file path can be typed
  // or pasted (Enter goes there; a file is selected in its folder).
  QLineEdit* PathBox() const { return path_; }

  // The folder shown in the file list, as a native path without trailing
  // separator (a root stays "/" or "C:\").
  QString FolderPath() const { return folder_; }
  void SetFolder(const QString& path);
  // Goes to a typed folder, or to a typed file's folder with the file
  // selected. False (and nothing changes) when the path does not exist.
  bool GoToPath(const QString& path);
  void SetDrive(const QString& drive);
  // Re-reads the file list of the current folder.
  void Refresh();

  // Names (without folder) of the selected files, in list order.
  QStringList SelectedFileNames() const;
  int SelectedCount() const;
  void SelectFiles(const QStringList& names);  // for tests and command lines

  // Called when a chosen drive cannot be opened, after the list has gone
  // back to the previous drive; the program shows its own message.
  void SetDriveErrorHandler(std::function<void(const QString& drive)> handler) {
    drive_error_ = std::move(handler);
  }

 signals:
  void FolderChanged(const QString& path);
  void SelectionChanged();
  void FileActivated(const QString& name);

 private:
  void OnDriveChosen(int index);
  void OnFolderClicked();
  void ShowDrive(const QString& drive);

  QComboBox* drives_;
  QLineEdit* path_;
  QTreeView* folders_;
  QListWidget* files_;
  QFileSystemModel* folder_model_;
  QString folder_;
  QString shown_drive_;  // the tree's root
  QString last_good_drive_;
  std::function<void(const QString&)> drive_error_;
};

}  // namespace platform::ui
