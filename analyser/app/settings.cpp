#include "app/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace lomtra {
namespace {

QSettings Store() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Norva", "lomtra");
}

}  // namespace

QString RememberedFolder(const QString& key) {
  const QString folder = Store().value(key).toString();
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) return QDir::toNativeSeparators(folder);
  return QDir::toNativeSeparators(QDir::homePath());
}

void RememberFolder(const QString& key, const QString& folder) {
  if (!folder.isEmpty()) Store().setValue(key, folder);
}

}  // namespace lomtra
