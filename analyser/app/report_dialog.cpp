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

QString CommonFileDialog::ExportName(QWidget* parent, platform::OutputFormat format) {
  QString filter = "CSV files (*.csv)";
  QString suffix = ".csv";
  if (format == platform::OutputFormat::kJsonl) {
    filter = "JSON Lines files (*.jsonl)";
    suffix = ".jsonl";
  } else if (format == platform::OutputFormat::kSqlite) {
    filter = "SQLite databases (*.sqlite *.db)";
    suffix = ".sqlite";
  }
  // A database is added to, not replaced, and the window asks its own
  // question before a csv or jsonl file is replaced.
  QString name = QFileDialog::getSaveFileName(
      parent, "Export List", platform::ui::RememberedFolder(kReportFolderKey),
      filter + ";; All Files (*.*)", nullptr, QFileDialog::DontConfirmOverwrite);
  if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty()) name += suffix;
  return Chosen(name);
}

QString CommonFileDialog::PictureName(QWidget* parent) {
  QString name = QFileDialog::getSaveFileName(parent, "Save Picture",
                                              platform::ui::RememberedFolder(kReportFolderKey),
                                              "PNG pictures (*.png);; All Files (*.*)");
  if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty()) name += ".png";
  return Chosen(name);
}

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
