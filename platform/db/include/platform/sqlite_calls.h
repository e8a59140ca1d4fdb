#pragma once
// Calls loaded into a SQLite database file (see call_store.h). A database
// is refused before anything in it changes when it is not SQLite, is locked
// by another program, or holds a table of ours of another shape; the message
// names the file and the reason. A database this class created and into
// which no file was loaded is removed again.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/call_store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

class SqliteCalls final : public CallStore {
 public:
  SqliteCalls() = default;
  ~SqliteCalls();  // an open file's transaction is rolled back
  SqliteCalls(const SqliteCalls&) = delete;
  SqliteCalls& operator=(const SqliteCalls&) = delete;

  // Opens (or creates) the database, checks it and makes the tables that are
  // missing. False with Error() when the database is refused.
  bool Open(const std::filesystem::path& path, const CallTableShape& shape);

  // Starts the transaction of one input file; its earlier rows go.
  bool BeginFile(const InputFile& file) override;
  // One call: `cells` holds one text per column of the shape; an empty
  // call_start, an empty number and an empty moment are NULL.
  bool AddCall(std::int64_t record_no, std::string_view call_start,
               const std::string_view* cells) override;
  // Keeps the file's rows: the count and first and last call go into its
  // `files` row, and the transaction is committed.
  bool CommitFile() override;
  // Forgets the file's rows (failure, Stop, Ctrl-C): the database is as it
  // was before BeginFile.
  void RollbackFile() override;
  // Closes; removes a database created by Open into which nothing was
  // committed. False when closing failed.
  bool Close() override;

  std::int64_t FilesCommitted() const override { return files_committed_; }
  // "<database>: <reason>" of the first failure.
  const std::string& Error() const override { return error_; }

 private:
  bool Fail(std::string_view what);
  bool Execute(const std::string& sql);
  bool CheckShape(const std::string& table, const std::vector<std::string>& expected);
  bool CreateTables();
  // A call's value until its batch goes in: a text of text_ (size >= 0), an
  // integer or NULL.
  struct Pending {
    static constexpr std::int32_t kNull = -1;
    static constexpr std::int32_t kInteger = -2;
    std::int64_t number = 0;
    std::uint32_t offset = 0;
    std::int32_t size = kNull;
  };
  sqlite3_stmt* PrepareInsert(int rows);
  bool Prepare();
  Pending KeepText(std::string_view cell);
  bool InsertPending();
  bool TableIsEmpty();
  void Finalize();

  sqlite3* db_ = nullptr;
  std::filesystem::path path_;
  CallTableShape shape_;
  bool created_ = false;
  bool defer_indexes_ = false;  // the search indexes are built by Close
  bool in_file_ = false;
  std::int64_t files_committed_ = 0;
  std::int64_t file_id_ = 0;
  std::int64_t calls_ = 0;
  std::string first_call_;
  std::string last_call_;
  std::size_t row_width_ = 0;  // file_id, record_no, call_start and the shape's columns
  int batch_rows_ = 1;
  std::vector<Pending> pending_;  // batch_rows_ calls of row_width_ values
  std::size_t pending_rows_ = 0;
  std::string text_;                      // the pending calls' texts, as UTF-8
  sqlite3_stmt* insert_ = nullptr;        // one call
  sqlite3_stmt* insert_batch_ = nullptr;  // batch_rows_ calls
  std::string error_;
};

}  // namespace platform
