#include "app/system_info.h"

#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace lomtra {

#ifdef Q_OS_WIN
namespace {

// One text value under HKEY_LOCAL_MACHINE; empty on any failure (a key that
// cannot be opened with full access counts as absent).
QString GetKeyValue(const char* key_name, const char* value_name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return {};
  char buffer[1024] = {};
  DWORD size = sizeof(buffer);
  DWORD type = 0;
  const LONG result =
      RegQueryValueExA(key, value_name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return {};
  if (size > 0 && buffer[size - 1] == '\0') --size;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  return QString::fromLocal8Bit(buffer, static_cast<int>(size));
}

}  // namespace
#endif

QStringList SystemInfoCandidates() {
  return {"hardinfo",    "hardinfo2",           "gnome-system-monitor",
          "kinfocenter", "mate-system-monitor", "xfce4-taskmanager",
          "lxtask"};
}

QString FindSystemInfoTool(const std::function<QString(const QString&)>& find_executable) {
#ifdef Q_OS_WIN
  const QString path = GetKeyValue("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH");
  if (!path.isEmpty()) return path;
  const QString folder = GetKeyValue("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO");
  if (!folder.isEmpty() && QFileInfo::exists(folder + "\\MSINFO32.EXE"))
    return folder + "\\MSINFO32.EXE";
  (void)find_executable;
  return {};
#else
  for (const QString& name : SystemInfoCandidates()) {
    const QString found = find_executable(name);
    if (!found.isEmpty()) return found;
  }
  return {};
#endif
}

}  // namespace lomtra
