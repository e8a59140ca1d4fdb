#include "app/report_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "platform/ui/remembered.h"

namespace lomtra {
namespace {

constexpr const char* kReportFolderKey = "reports/folder";

QString Chosen(const QString& name) {
  if (name.isEmpty()) return name;
  platform::ui::RememberFolder(kReportFolderKey, QFileInfo(name).absolutePath());
  return QDir::toNativeSeparators(name);
}

}  // namespace

QString CommonFileDialog::SaveName(QWidget* parent) {
  // The window asks its own overwrite question, so the dialog must not.
  return Chosen(QFileDialog::getSaveFileName(
      parent, QString(), platform::ui::RememberedFolder(kReportFolderKey), kReportFilter, nullptr,
      QFileDialog::DontConfirmOverwrite));
}

QString CommonFileDialog::OpenName(QWidget* parent) {
  return Chosen(QFileDialog::getOpenFileName(
      parent, QString(), platform::ui::RememberedFolder(kReportFolderKey), kReportFilter));
}

}  // namespace lomtra
