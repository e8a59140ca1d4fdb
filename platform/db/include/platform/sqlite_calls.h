#pragma once
// Calls loaded into a SQLite database file: a `files` table of the inputs
// and one table of calls per exchange type. Unlike the text outputs, the
// database is never replaced as a whole (it holds other files' calls): each
// input file is one transaction, so a file that fails or is stopped leaves
// no rows, and loading a file again replaces its rows.
//
// A database is refused before anything in it changes when it is not SQLite,
// is locked by another program, or holds a table of ours of another shape;
// the message names the file and the reason. A database this class created
// and into which no file was loaded is removed again.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/table_writer.h"

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

// The calls table of one exchange type: its name ("ewsd_calls"), a column
// per field the program decodes (caption, key = SQL column name, type), and
// the keys that get an index besides call_start (the calling and the called
// number). Every table also has file_id, record_no and call_start first.
struct CallTableShape {
  std::string name;
  std::vector<Column> columns;
  std::vector<std::string> indexed_keys;
};

// One input file as the `files` table records it.
struct InputFile {
  std::string path;  // absolute: the same file from another folder is one row
  std::int64_t size = 0;
  std::string modified;  // ISO 8601, local time
  std::string exchange_type;
  std::string program;
};

class SqliteCalls {
 public:
  SqliteCalls() = default;
  ~SqliteCalls();  // an open file's transaction is rolled back
  SqliteCalls(const SqliteCalls&) = delete;
  SqliteCalls& operator=(const SqliteCalls&) = delete;

  // Opens (or creates) the database, checks it and makes the tables that are
  // missing. False with Error() when the database is refused.
  bool Open(const std::filesystem::path& path, const CallTableShape& shape);

  // Starts the transaction of one input file; its earlier rows go.
  bool BeginFile(const InputFile& file);
  // One call: `cells` holds one text per column of the shape; an empty
  // call_start, an empty number and an empty moment are NULL.
  bool AddCall(std::int64_t record_no, std::string_view call_start, const std::string_view* cells);
  // Keeps the file's rows: the count and first and last call go into its
  // `files` row, and the transaction is committed.
  bool CommitFile();
  // Forgets the file's rows (failure, Stop, Ctrl-C): the database is as it
  // was before BeginFile.
  void RollbackFile();
  // Closes; removes a database created by Open into which nothing was
  // committed. False when closing failed.
  bool Close();

  std::int64_t FilesCommitted() const { return files_committed_; }
  // "<database>: <reason>" of the first failure.
  const std::string& Error() const { return error_; }

 private:
  bool Fail(std::string_view what);
  bool Execute(const std::string& sql);
  bool CheckShape(const std::string& table, const std::vector<std::string>& expected);
  bool CreateTables();
  bool Prepare();
  void Finalize();

  sqlite3* db_ = nullptr;
  std::filesystem::path path_;
  CallTableShape shape_;
  bool created_ = false;
  bool in_file_ = false;
  std::int64_t files_committed_ = 0;
  std::int64_t file_id_ = 0;
  std::int64_t calls_ = 0;
  std::string first_call_;
  std::string last_call_;
  std::string scratch_;  // Latin-1 record text as UTF-8
  sqlite3_stmt* insert_ = nullptr;
  std::string error_;
};

}  // namespace platform
