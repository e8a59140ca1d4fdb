#pragma once
// What lomtra remembers between starts: the folders its dialogs were last
// used in.
#include <QString>

namespace lomtra {

// The folder stored under `key` when it still exists, else the home folder
// (never the working folder, which is wherever the program happened to be
// started).
QString RememberedFolder(const QString& key);
void RememberFolder(const QString& key, const QString& folder);

}  // namespace lomtra
