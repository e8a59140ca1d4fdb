#pragma once
// Where the system's information tool is: on Windows in the registry, on
// other systems the first of the usual desktop tools found on the PATH.
#include <QString>
#include <QStringList>
#include <functional>

namespace lomtra {

// The tools looked for on the PATH, in order.
QStringList SystemInfoCandidates();

// The program to start, or empty when there is none. `find_executable`
// finds a program on the PATH (empty when absent).
QString FindSystemInfoTool(const std::function<QString(const QString&)>& find_executable);

}  // namespace lomtra
