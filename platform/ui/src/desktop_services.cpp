#include "platform/ui/desktop_services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace platform::ui {

bool DesktopDocumentOpener::Open(const QString& path_or_address) {
  const bool is_address = path_or_address.startsWith("http:", Qt::CaseInsensitive) ||
                          path_or_address.startsWith("https:", Qt::CaseInsensitive) ||
                          path_or_address.startsWith("mailto:", Qt::CaseInsensitive);
  const QUrl url = is_address ? QUrl(path_or_address)
                              : QUrl::fromLocalFile(QFileInfo(path_or_address).absoluteFilePath());
  return QDesktopServices::openUrl(url);
}

bool DetachedProgramStarter::Start(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments);
}

BusyCursor::BusyCursor() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()))
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()))
    QApplication::restoreOverrideCursor();
}

}  // namespace platform::ui
