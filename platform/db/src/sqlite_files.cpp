#include "platform/sqlite_files.h"

#include <sqlite3.h>

#include <array>
#include <cstring>
#include <fstream>
#include <system_error>

#include "schema.h"

namespace platform {

namespace {

constexpr int kBusyMilliseconds = 2000;

using schema::BeginsLikeSqlite;

void BindText(sqlite3_stmt* statement, int index, const std::string& text) {
  if (text.empty())
    sqlite3_bind_null(statement, index);
  else
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

}  // namespace

SqliteFiles::~SqliteFiles() {
  if (db_ != nullptr) Close();
}

bool SqliteFiles::Fail(const std::string& what) {
  if (error_.empty()) error_ = path_.string() + ": " + what;
  return false;
}

bool SqliteFiles::Execute(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  const std::string reason = message != nullptr ? message : sqlite3_errmsg(db_);
  sqlite3_free(message);
  return Fail(reason);
}

bool SqliteFiles::Open(const std::filesystem::path& path) {
  path_ = path;
  error_.clear();
  written_ = false;
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  created_ = !std::filesystem::exists(status);
  if (!created_) {
    if (!std::filesystem::is_regular_file(status)) return Fail("not a database file");
    if (std::filesystem::file_size(path, error) != 0 && !BeginsLikeSqlite(path))
      return Fail("not a SQLite database");
  }
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    Fail(db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory");
    Close();
    return false;
  }
  sqlite3_busy_timeout(db_, kBusyMilliseconds);
  // A `files` table that is there must be ours; reading it also finds a
  // damaged file before anything is written.
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, "PRAGMA table_info(files)", -1, &statement, nullptr) != SQLITE_OK) {
    Fail(sqlite3_errmsg(db_));
    Close();
    return false;
  }
  std::vector<std::string> found;
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
    const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(statement, 2));
    found.push_back(std::string(name != nullptr ? name : "") + " " + (type != nullptr ? type : ""));
  }
  sqlite3_finalize(statement);
  if (step != SQLITE_DONE) Fail(sqlite3_errmsg(db_));
  if (step == SQLITE_DONE && !found.empty() && found != schema::SqliteFilesColumns())
    Fail("the table files has other columns than this program writes");
  if (!error_.empty()) {
    Close();
    return false;
  }
  return true;
}

bool SqliteFiles::Write(const std::vector<ListedFile>& files) {
  if (db_ == nullptr) return Fail("the database is not open");
  if (!Execute("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;") ||
      !Execute("BEGIN IMMEDIATE"))
    return false;
  if (!Execute(schema::kSqliteCreateFiles) || !WriteRows(files) || !Execute("COMMIT")) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
  }
  written_ = true;
  return true;
}

bool SqliteFiles::WriteRows(const std::vector<ListedFile>& files) {
  // The same file listed twice (two spellings of one path) is one row.
  const char* upsert =
      "INSERT INTO files (path, size, modified, exchange_type, program, records, first_call, "
      "last_call, loaded_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, "
      "strftime('%Y-%m-%dT%H:%M:%S', 'now', 'localtime')) "
      "ON CONFLICT (path) DO UPDATE SET size = excluded.size, modified = excluded.modified, "
      "exchange_type = excluded.exchange_type, program = excluded.program, "
      "records = excluded.records, first_call = excluded.first_call, "
      "last_call = excluded.last_call, loaded_at = excluded.loaded_at";
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, upsert, -1, &statement, nullptr) != SQLITE_OK)
    return Fail(sqlite3_errmsg(db_));
  bool ok = true;
  for (const ListedFile& listed : files) {
    const InputFile& file = listed.file;
    BindText(statement, 1, file.path);
    if (listed.size_known)
      sqlite3_bind_int64(statement, 2, file.size);
    else
      sqlite3_bind_null(statement, 2);
    BindText(statement, 3, file.modified);
    BindText(statement, 4, file.exchange_type);
    BindText(statement, 5, file.program);
    if (listed.records)
      sqlite3_bind_int64(statement, 6, *listed.records);
    else
      sqlite3_bind_null(statement, 6);
    BindText(statement, 7, listed.first_call);
    BindText(statement, 8, listed.last_call);
    ok = sqlite3_step(statement) == SQLITE_DONE;
    if (!ok) {
      Fail(sqlite3_errmsg(db_));
      break;
    }
    sqlite3_reset(statement);
  }
  sqlite3_finalize(statement);
  return ok;
}

bool SqliteFiles::Close() {
  if (db_ == nullptr) return error_.empty();
  const bool closed = sqlite3_close(db_) == SQLITE_OK;
  db_ = nullptr;
  if (!closed) Fail("the database could not be closed");
  // A database made here that holds nothing of ours goes again.
  if (created_ && !written_) {
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
      std::filesystem::remove(path_.string() + suffix, ignored);
  }
  return closed && error_.empty();
}

}  // namespace platform
