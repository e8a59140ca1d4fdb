#include "platform/sqlite_calls.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <system_error>

#include "schema.h"

namespace platform {

namespace {

using schema::BeginsLikeSqlite;
using schema::Quoted;

constexpr int kBusyMilliseconds = 2000;
constexpr int kBatchRows = 32;

const char* SqlType(ColumnType type) {
  return type == ColumnType::kInteger ? "INTEGER" : "TEXT";
}

std::vector<std::string> CallsColumns(const CallTableShape& shape) {
  std::vector<std::string> columns = {"file_id INTEGER", "record_no INTEGER", "call_start TEXT"};
  for (const Column& column : shape.columns)
    columns.push_back(column.key + " " + SqlType(column.type));
  return columns;
}

// The value of a text of digits, or false (empty, other characters, too long).
bool DigitsValue(std::string_view text, sqlite3_int64* value) {
  if (text.empty() || text.size() > 18) return false;
  sqlite3_int64 result = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
  }
  *value = result;
  return true;
}

}  // namespace

SqliteCalls::~SqliteCalls() {
  if (db_ != nullptr) Close();
}

bool SqliteCalls::Fail(std::string_view what) {
  if (error_.empty()) error_ = path_.string() + ": " + std::string(what);
  return false;
}

bool SqliteCalls::Execute(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
  const std::string reason = message != nullptr ? message : sqlite3_errmsg(db_);
  sqlite3_free(message);
  return Fail(reason);
}

// A table of ours that is there must have exactly our columns; one that is
// missing is made later.
bool SqliteCalls::CheckShape(const std::string& table, const std::vector<std::string>& expected) {
  sqlite3_stmt* statement = nullptr;
  const std::string sql = "PRAGMA table_info(" + Quoted(table) + ")";
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
    return Fail(sqlite3_errmsg(db_));
  std::vector<std::string> found;
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
    const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(statement, 2));
    found.push_back(std::string(name != nullptr ? name : "") + " " + (type != nullptr ? type : ""));
  }
  sqlite3_finalize(statement);
  if (step != SQLITE_DONE) return Fail(sqlite3_errmsg(db_));
  if (!found.empty() && found != expected)
    return Fail("the table " + table + " has other columns than this program writes");
  return true;
}

bool SqliteCalls::CreateTables() {
  const std::string& calls = shape_.name;
  std::string sql = std::string(schema::kSqliteCreateFiles) + ";";
  sql += "CREATE TABLE IF NOT EXISTS " + Quoted(calls) +
         " (file_id INTEGER NOT NULL REFERENCES files(id), record_no INTEGER NOT NULL, "
         "call_start TEXT";
  for (const Column& column : shape_.columns)
    sql += ", " + Quoted(column.key) + " " + SqlType(column.type);
  sql += ");";
  // Into an empty table the indexes are built once at the end, from sorted
  // keys: kept up row by row they cost most of the loading time. Until then
  // a file new to the database has no calls to replace.
  sql += defer_indexes_ ? schema::DropCallIndexes(shape_) : schema::CreateCallIndexes(shape_);
  return Execute(sql);
}

bool SqliteCalls::TableIsEmpty() {
  sqlite3_stmt* statement = nullptr;
  const std::string sql = "SELECT 1 FROM " + Quoted(shape_.name) + " LIMIT 1";
  // A table not there yet is empty.
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) return true;
  const bool empty = sqlite3_step(statement) != SQLITE_ROW;
  sqlite3_finalize(statement);
  return empty;
}

// An INSERT of `rows` rows of every column.
sqlite3_stmt* SqliteCalls::PrepareInsert(int rows) {
  std::string sql = "INSERT INTO " + Quoted(shape_.name) + " (file_id, record_no, call_start";
  std::string values = "(?, ?, ?";
  for (const Column& column : shape_.columns) {
    sql += ", " + Quoted(column.key);
    values += ", ?";
  }
  values += ")";
  sql += ") VALUES " + values;
  for (int row = 1; row < rows; ++row) sql += ", " + values;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
      SQLITE_OK) {
    Fail(sqlite3_errmsg(db_));
    return nullptr;
  }
  return statement;
}

bool SqliteCalls::Prepare() {
  row_width_ = shape_.columns.size() + 3;
  // Calls go in batches, one statement of many rows: a statement's step
  // and reset cost as much as a third of a row of this width.
  const int variables = sqlite3_limit(db_, SQLITE_LIMIT_VARIABLE_NUMBER, -1);
  batch_rows_ = std::clamp(variables / static_cast<int>(row_width_), 1, kBatchRows);
  pending_.assign(row_width_ * static_cast<std::size_t>(batch_rows_), Pending{});
  pending_rows_ = 0;
  insert_ = PrepareInsert(1);
  if (insert_ == nullptr) return false;
  if (batch_rows_ > 1) insert_batch_ = PrepareInsert(batch_rows_);
  return batch_rows_ == 1 || insert_batch_ != nullptr;
}

void SqliteCalls::Finalize() {
  sqlite3_finalize(insert_);
  sqlite3_finalize(insert_batch_);
  insert_ = nullptr;
  insert_batch_ = nullptr;
}

bool SqliteCalls::Open(const std::filesystem::path& path, const CallTableShape& shape) {
  path_ = path;
  shape_ = shape;
  error_.clear();
  files_committed_ = 0;
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  created_ = !std::filesystem::exists(status);
  if (!created_) {
    if (!std::filesystem::is_regular_file(status)) return Fail("not a database file");
    // An empty file is a database without tables to SQLite; anything else
    // must begin as one, or SQLite would be asked to open a stranger's file.
    if (std::filesystem::file_size(path, error) != 0 && !BeginsLikeSqlite(path))
      return Fail("not a SQLite database");
  }
  if (sqlite3_open_v2(path.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    Fail(db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory");
    Close();
    return false;
  }
  sqlite3_busy_timeout(db_, kBusyMilliseconds);
  // Checked before anything is written: a refused database stays as it was.
  // A new database gets 16 KiB pages (fewer page splits and index levels);
  // one that holds tables keeps its own.
  const bool ready = CheckShape("files", schema::SqliteFilesColumns()) &&
                     CheckShape(shape_.name, CallsColumns(shape_)) &&
                     Execute(
                         "PRAGMA page_size=16384; PRAGMA journal_mode=WAL; "
                         "PRAGMA synchronous=NORMAL; PRAGMA cache_size=-8192;") &&
                     Execute("BEGIN IMMEDIATE") && (defer_indexes_ = TableIsEmpty(), true) &&
                     CreateTables() && Execute("COMMIT") && Prepare();
  if (!ready) {
    Close();
    return false;
  }
  return true;
}

bool SqliteCalls::BeginFile(const InputFile& file) {
  if (!Execute("BEGIN IMMEDIATE")) return false;
  in_file_ = true;
  calls_ = 0;
  pending_rows_ = 0;
  text_.clear();
  first_call_.clear();
  last_call_.clear();
  sqlite3_stmt* statement = nullptr;
  // A file new to the database has no calls to replace.
  bool new_file = true;
  if (sqlite3_prepare_v2(db_, "SELECT 1 FROM files WHERE path = ?", -1, &statement, nullptr) ==
      SQLITE_OK) {
    sqlite3_bind_text(statement, 1, file.path.data(), static_cast<int>(file.path.size()),
                      SQLITE_STATIC);
    new_file = sqlite3_step(statement) != SQLITE_ROW;
  }
  sqlite3_finalize(statement);
  statement = nullptr;
  const char* upsert =
      "INSERT INTO files (path, size, modified, exchange_type, program, records, loaded_at) "
      "VALUES (?, ?, ?, ?, ?, 0, strftime('%Y-%m-%dT%H:%M:%S', 'now', 'localtime')) "
      "ON CONFLICT (path) DO UPDATE SET size = excluded.size, modified = excluded.modified, "
      "exchange_type = excluded.exchange_type, program = excluded.program, records = 0, "
      "first_call = NULL, last_call = NULL, loaded_at = excluded.loaded_at RETURNING id";
  bool ok = sqlite3_prepare_v2(db_, upsert, -1, &statement, nullptr) == SQLITE_OK;
  if (ok) {
    sqlite3_bind_text(statement, 1, file.path.data(), static_cast<int>(file.path.size()),
                      SQLITE_STATIC);
    sqlite3_bind_int64(statement, 2, file.size);
    sqlite3_bind_text(statement, 3, file.modified.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 4, file.exchange_type.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 5, file.program.c_str(), -1, SQLITE_STATIC);
    ok = sqlite3_step(statement) == SQLITE_ROW;
    if (ok) file_id_ = sqlite3_column_int64(statement, 0);
    ok = ok && sqlite3_step(statement) == SQLITE_DONE;
  }
  sqlite3_finalize(statement);
  if (!ok) {
    Fail(sqlite3_errmsg(db_));
    RollbackFile();
    return false;
  }
  // Loading a file again replaces its calls.
  if (!new_file && !Execute("DELETE FROM " + Quoted(shape_.name) +
                            " WHERE file_id = " + std::to_string(file_id_))) {
    RollbackFile();
    return false;
  }
  return true;
}

// Keeps a cell's text until its batch goes in.
SqliteCalls::Pending SqliteCalls::KeepText(std::string_view cell) {
  const auto offset = static_cast<std::uint32_t>(text_.size());
  // Record bytes are Latin-1; SQLite keeps UTF-8 text.
  bool plain = true;
  for (const char c : cell) plain = plain && static_cast<unsigned char>(c) < 0x80;
  if (plain) {
    text_.append(cell);
  } else {
    for (const char c : cell) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x80) {
        text_ += c;
      } else {
        text_ += static_cast<char>(0xC0 | byte >> 6);
        text_ += static_cast<char>(0x80 | (byte & 0x3F));
      }
    }
  }
  return {0, offset, static_cast<std::int32_t>(text_.size() - offset)};
}

bool SqliteCalls::AddCall(std::int64_t record_no, std::string_view call_start,
                          const std::string_view* cells) {
  Pending* row = &pending_[pending_rows_ * row_width_];
  row[0] = {file_id_, 0, Pending::kInteger};
  row[1] = {record_no, 0, Pending::kInteger};
  row[2] = call_start.empty() ? Pending{} : KeepText(call_start);
  for (std::size_t i = 0; i < shape_.columns.size(); ++i) {
    const std::string_view cell = cells[i];
    Pending& value = row[i + 3];
    sqlite3_int64 number = 0;
    if (cell.data() == nullptr || (shape_.columns[i].type != ColumnType::kText && cell.empty()))
      value = Pending{};
    else if (shape_.columns[i].type == ColumnType::kInteger && DigitsValue(cell, &number))
      value = {number, 0, Pending::kInteger};
    else
      value = KeepText(cell);
  }
  ++calls_;
  if (!call_start.empty()) {
    if (first_call_.empty()) first_call_ = call_start;
    last_call_ = call_start;
  }
  if (++pending_rows_ < static_cast<std::size_t>(batch_rows_)) return true;
  return InsertPending();
}

// The calls kept so far go in: a whole batch in one statement, fewer one by
// one.
bool SqliteCalls::InsertPending() {
  const bool whole = pending_rows_ == static_cast<std::size_t>(batch_rows_);
  sqlite3_stmt* insert = whole ? insert_batch_ : insert_;
  if (whole && batch_rows_ == 1) insert = insert_;
  const std::size_t per_step = whole ? pending_rows_ : 1;
  for (std::size_t first = 0; first < pending_rows_; first += per_step) {
    const Pending* values = &pending_[first * row_width_];
    const std::size_t count = per_step * row_width_;
    for (std::size_t i = 0; i < count; ++i) {
      const Pending& value = values[i];
      const int index = static_cast<int>(i) + 1;
      // The texts stay in text_ until the step is done; each is bound again
      // before the statement runs next.
      if (value.size >= 0)
        sqlite3_bind_text(insert, index, text_.data() + value.offset, value.size, SQLITE_STATIC);
      else if (value.size == Pending::kInteger)
        sqlite3_bind_int64(insert, index, value.number);
      else
        sqlite3_bind_null(insert, index);
    }
    const int step = sqlite3_step(insert);
    sqlite3_reset(insert);
    if (step != SQLITE_DONE) return Fail(sqlite3_errmsg(db_));
  }
  pending_rows_ = 0;
  text_.clear();
  return true;
}

bool SqliteCalls::CommitFile() {
  if (!InsertPending()) {
    RollbackFile();
    return false;
  }
  sqlite3_stmt* statement = nullptr;
  bool ok = sqlite3_prepare_v2(db_,
                               "UPDATE files SET records = ?, first_call = ?, last_call = ? "
                               "WHERE id = ?",
                               -1, &statement, nullptr) == SQLITE_OK;
  if (ok) {
    sqlite3_bind_int64(statement, 1, calls_);
    if (!first_call_.empty()) {
      sqlite3_bind_text(statement, 2, first_call_.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(statement, 3, last_call_.c_str(), -1, SQLITE_STATIC);
    }
    sqlite3_bind_int64(statement, 4, file_id_);
    ok = sqlite3_step(statement) == SQLITE_DONE;
  }
  sqlite3_finalize(statement);
  if (!ok || !Execute("COMMIT")) {
    if (!ok) Fail(sqlite3_errmsg(db_));
    RollbackFile();
    return false;
  }
  in_file_ = false;
  ++files_committed_;
  return true;
}

void SqliteCalls::RollbackFile() {
  pending_rows_ = 0;
  text_.clear();
  if (!in_file_) return;
  in_file_ = false;
  sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool SqliteCalls::Close() {
  if (db_ == nullptr) return error_.empty();
  RollbackFile();
  Finalize();
  const bool removing = created_ && files_committed_ == 0;
  if (defer_indexes_ && !removing &&
      !Execute("BEGIN IMMEDIATE;" + schema::CreateCallIndexes(shape_) + "COMMIT;"))
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  defer_indexes_ = false;
  const bool closed = sqlite3_close(db_) == SQLITE_OK;
  db_ = nullptr;
  if (!closed) Fail("the database could not be closed");
  // A database made by this run that holds nothing of it goes again.
  if (removing) {
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
      std::filesystem::remove(path_.string() + suffix, ignored);
  }
  return closed && error_.empty();
}

}  // namespace platform
