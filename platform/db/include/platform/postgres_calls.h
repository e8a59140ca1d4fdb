#pragma once
// Calls loaded into a PostgreSQL database (see call_store.h), the same
// schema as SqliteCalls with PostgreSQL's types. Each input file is one
// transaction whose calls go in with one binary COPY. A server is refused before
// anything in it changes when it cannot be reached, refuses the login, or
// holds a table of ours of another shape. Messages name the server as
// host:port/database, never the connection text: it may hold a password.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/call_store.h"

struct pg_conn;

namespace platform {

class PostgresCalls final : public CallStore {
 public:
  PostgresCalls() = default;
  ~PostgresCalls();  // an open file's transaction is rolled back
  PostgresCalls(const PostgresCalls&) = delete;
  PostgresCalls& operator=(const PostgresCalls&) = delete;

  // Connects (`connection`: "postgresql://…" or "key=value …"; empty: the
  // PG* variables), checks the tables and makes those that are missing.
  // False with Error() when the server or database is refused.
  bool Open(const std::string& connection, const CallTableShape& shape);

  bool BeginFile(const InputFile& file) override;
  // Rows are gathered and sent in large pieces; a row the server rejects
  // fails the file at CommitFile at the latest.
  bool AddCall(std::int64_t record_no, std::string_view call_start,
               const std::string_view* cells) override;
  bool CommitFile() override;
  void RollbackFile() override;
  bool Close() override;

  std::int64_t FilesCommitted() const override { return files_committed_; }
  // "host:port/database: <reason>" of the first failure.
  const std::string& Error() const override { return error_; }
  // Integer cells that were not a number a bigint holds (a damaged field),
  // stored as NULL, since the run began.
  std::int64_t NumbersNotStored() const { return numbers_not_stored_; }

 private:
  bool Fail(std::string_view reason);
  bool FailFromConnection();
  bool TableIsEmpty(bool exists);
  bool Execute(const std::string& sql);
  bool CheckShape(const std::string& table, const std::vector<std::string>& expected, bool* exists);
  bool CreateMissing(bool files_exist, bool calls_exist);
  bool Flush();
  bool EndCopy(const char* abort_reason);
  bool MomentMicros(std::string_view moment, std::int64_t* micros);
  static char* PutText(char* out, std::string_view cell);

  pg_conn* conn_ = nullptr;
  std::string server_;  // "host:port/database"
  std::string password_;
  CallTableShape shape_;
  std::string copy_sql_;
  bool in_file_ = false;
  bool in_copy_ = false;
  bool defer_indexes_ = false;  // the search indexes are built by Close
  std::int64_t files_committed_ = 0;
  std::int64_t file_id_ = 0;
  std::int64_t calls_ = 0;
  std::int64_t numbers_not_stored_ = 0;
  std::string first_call_;
  std::string last_call_;
  char row_head_[14] = {};  // field count and file_id, the start of every row
  char moment_date_[10] = {};
  std::int64_t moment_day_ = 0;  // of moment_date_, from 2000-01-01
  std::string buffer_;           // COPY rows not yet sent: the first used_ bytes
  std::size_t used_ = 0;
  std::string error_;
};

}  // namespace platform
