#include "platform/ui/remembered.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>

#include "platform/ui/file_picker_panel.h"

namespace platform::ui {
namespace {

QSettings Settings() {
  return QSettings(QSettings::UserScope, QStringLiteral("norva"),
                   QCoreApplication::applicationName());
}

QString Key(const QString& key) {
  return QStringLiteral("window/") + key;
}

}  // namespace

void Remember(QLineEdit* box, const QString& key) {
  const QVariant saved = Settings().value(Key(key));
  if (saved.isValid()) box->setText(saved.toString());
  QObject::connect(box, &QLineEdit::textChanged,
                   [key](const QString& text) { Settings().setValue(Key(key), text); });
}

void Remember(QAbstractButton* button, const QString& key) {
  const QVariant saved = Settings().value(Key(key));
  if (saved.isValid()) {
    // An option button is only ever chosen: choosing it un-chooses the others.
    const bool on = saved.toBool();
    if (on || qobject_cast<QRadioButton*>(button) == nullptr) button->setChecked(on);
  }
  QObject::connect(button, &QAbstractButton::toggled,
                   [key](bool on) { Settings().setValue(Key(key), on); });
}

void Remember(QComboBox* box, const QString& key) {
  const QVariant saved = Settings().value(Key(key));
  if (saved.isValid()) {
    const QString text = saved.toString();
    const int index = box->findText(text);
    if (index >= 0)
      box->setCurrentIndex(index);
    else if (box->isEditable())
      box->setEditText(text);
  }
  QObject::connect(box, &QComboBox::currentTextChanged,
                   [key](const QString& text) { Settings().setValue(Key(key), text); });
}

void Remember(FilePickerPanel* panel, const QString& key) {
  const QString saved = Settings().value(Key(key)).toString();
  if (!saved.isEmpty() && QFileInfo(saved).isDir()) panel->SetFolder(saved);
  QObject::connect(panel, &FilePickerPanel::FolderChanged,
                   [key](const QString& folder) { Settings().setValue(Key(key), folder); });
}

QString RememberedFolder(const QString& key) {
  const QString saved = Settings().value(Key(key)).toString();
  if (!saved.isEmpty() && QFileInfo(saved).isDir()) return saved;
  return QDir::homePath();
}

void RememberFolder(const QString& key, const QString& folder) {
  Settings().setValue(Key(key), folder);
}

}  // namespace platform::ui
