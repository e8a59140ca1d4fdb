#include "app/report_dialog.h"

#include <QDir>
#include <QFileDialog>

namespace lomtra {

QString CommonFileDialog::SaveName(QWidget* parent) {
  // The window asks its own overwrite question, so the dialog must not.
  const QString name = QFileDialog::getSaveFileName(parent, QString(), QString(), kReportFilter,
                                                    nullptr, QFileDialog::DontConfirmOverwrite);
  return name.isEmpty() ? name : QDir::toNativeSeparators(name);
}

QString CommonFileDialog::OpenName(QWidget* parent) {
  const QString name = QFileDialog::getOpenFileName(parent, QString(), QString(), kReportFilter);
  return name.isEmpty() ? name : QDir::toNativeSeparators(name);
}

}  // namespace lomtra
