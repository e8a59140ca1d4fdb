#pragma once
// The add-files dialog (object name frmOpen): pick data files from a drive, folder and file list
// and add them to the main list. Cancel and Add only hide it, so it keeps its folder, rows and
// selection for the next time.
#include <QDialog>
#include <QStringList>
#include <functional>

class QPushButton;
class QTreeWidget;

namespace platform::ui {
class FilePickerPanel;
}

namespace lomtra {

class AddFilesDialog : public QDialog {
  Q_OBJECT
 public:
  // `add_files` receives the full paths of the selected rows (AddFiles of
  // the main window); `drive_error` shows the message of a drive that
  // cannot be opened.
  AddFilesDialog(std::function<void(const QStringList&)> add_files,
                 std::function<void(const QString&)> drive_error, QWidget* parent = nullptr);

  platform::ui::FilePickerPanel* Panel() const { return panel_; }
  QTreeWidget* List() const { return list_; }
  // Shows the files of this folder, as choosing it in the folder tree does.
  void SetFolder(const QString& folder);
  // The File Name texts of the selected rows, in list order.
  QStringList SelectedPaths() const;
  void SelectPaths(const QStringList& paths);
  // "Add Files" and "Cancel".
  void AddSelected();
  void Cancel();

 private:
  void Refill(const QString& folder);

  std::function<void(const QStringList&)> add_files_;
  platform::ui::FilePickerPanel* panel_;
  QTreeWidget* list_;
  QPushButton* add_button_;
  QPushButton* cancel_button_;
};

}  // namespace lomtra
