#pragma once
// What a window remembers between starts: folders, output names and options.
// Each control is restored when it is handed over here (after the window has
// connected its own handlers, so enabling rules follow the restored choice)
// and saved whenever the user changes it. The settings are the program's own
// (QSettings under the program's name).
#include <QString>

class QAbstractButton;
class QComboBox;
class QLineEdit;

namespace platform::ui {

class FilePickerPanel;

void Remember(QLineEdit* box, const QString& key);
// A check box, or an option button (only the chosen one is restored).
void Remember(QAbstractButton* button, const QString& key);
// The chosen text of a list, or the typed text of an editable one.
void Remember(QComboBox* box, const QString& key);
// The panel's folder, when it still exists.
void Remember(FilePickerPanel* panel, const QString& key);

// A folder for file dialogs: the remembered one when it still exists, else
// the home folder.
QString RememberedFolder(const QString& key);
void RememberFolder(const QString& key, const QString& folder);

}  // namespace platform::ui
