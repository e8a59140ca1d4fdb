#pragma once
// Calls loaded into a database: a `files` table of the inputs and one table
// of calls per exchange type. Unlike the text outputs, a database is never
// replaced as a whole (it holds other files' calls): each input file is one
// transaction, so a file that fails or is stopped leaves no rows, and loading
// a file again replaces its rows. SQLite (a database file) and PostgreSQL (a
// server) keep the same schema behind this one interface.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/output_format.h"
#include "platform/table_writer.h"

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

// The `files` row of the input at `path` (as the user gave it): its absolute
// path, size and modified time; size 0 and no time when it cannot be read.
InputFile DescribeInputFile(const std::string& path, std::string exchange_type,
                            std::string program);

class CallStore {
 public:
  virtual ~CallStore() = default;

  // Starts the transaction of one input file; its earlier rows go.
  virtual bool BeginFile(const InputFile& file) = 0;
  // One call: `cells` holds one text per column of the shape. An empty
  // call_start, integer or moment is NULL; so is any cell whose data() is
  // null (a field the run did not choose: std::string_view()).
  virtual bool AddCall(std::int64_t record_no, std::string_view call_start,
                       const std::string_view* cells) = 0;
  // Keeps the file's rows: the count and first and last call go into its
  // `files` row, and the transaction is committed.
  virtual bool CommitFile() = 0;
  // Forgets the file's rows (failure, Stop, Ctrl-C): the database is as it
  // was before BeginFile.
  virtual void RollbackFile() = 0;
  // Closes; false when closing failed.
  virtual bool Close() = 0;

  virtual std::int64_t FilesCommitted() const = 0;
  // "<database>: <reason>" of the first failure; never a password.
  virtual const std::string& Error() const = 0;
};

// Opens the database of `format` (kSqlite: `target` is the database file;
// kPostgres: a connection text "postgresql://…", empty for the PG*
// variables), checks it and makes the missing tables. Null with `*error` set
// when the database is refused; nothing in it has changed then.
std::unique_ptr<CallStore> OpenCallStore(OutputFormat format, const std::string& target,
                                         const CallTableShape& shape, std::string* error);

}  // namespace platform
