// The database classes of a build without SQLite: every database refuses
// to open and says which option is missing and what to use instead.
#include "platform/sqlite_files.h"

namespace platform {

SqliteFiles::~SqliteFiles() = default;

bool SqliteFiles::Fail(const std::string& what) {
  if (error_.empty()) error_ = what;
  return false;
}

bool SqliteFiles::Execute(const char*) {
  return false;
}

bool SqliteFiles::Open(const std::filesystem::path&) {
  return Fail("--sqlite is not in this build; use --csv");
}

bool SqliteFiles::Write(const std::vector<ListedFile>&) {
  return Fail("--sqlite is not in this build; use --csv");
}

bool SqliteFiles::WriteRows(const std::vector<ListedFile>&) {
  return false;
}

bool SqliteFiles::Close() {
  return true;
}

}  // namespace platform
