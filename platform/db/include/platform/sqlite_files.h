#pragma once
// A list of input files written into the `files` table of a SQLite calls
// database (the table SqliteCalls keeps), by a program that lists files
// without loading their calls (lomtra). Each file's row is replaced by path,
// the whole list in one transaction. The database is refused before anything
// in it changes when it is not SQLite, is locked, or holds a `files` table of
// another shape; the message names the file and the reason.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/call_store.h"

struct sqlite3;

namespace platform {

// One row of the list; texts in UTF-8.
struct ListedFile {
  InputFile file;  // path (the key), size, modified time, exchange type, program
  bool size_known = true;
  std::optional<std::int64_t> records;  // none: not counted (NULL)
  std::string first_call;               // ISO 8601; empty: NULL
  std::string last_call;
};

class SqliteFiles {
 public:
  SqliteFiles() = default;
  ~SqliteFiles();
  SqliteFiles(const SqliteFiles&) = delete;
  SqliteFiles& operator=(const SqliteFiles&) = delete;

  // Opens (or creates) the database and checks it; writes nothing. False
  // with Error() when the database is refused.
  bool Open(const std::filesystem::path& path);
  // Makes the `files` table when it is missing and writes every file, one
  // transaction; false with Error() leaves the database as it was.
  bool Write(const std::vector<ListedFile>& files);
  // Closes; removes a database created by Open into which nothing was
  // written. False when closing failed.
  bool Close();

  // "<database>: <reason>" of the first failure.
  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& what);
  bool Execute(const char* sql);
  bool WriteRows(const std::vector<ListedFile>& files);

  sqlite3* db_ = nullptr;
  std::filesystem::path path_;
  bool created_ = false;
  bool written_ = false;
  std::string error_;
};

}  // namespace platform
