#include "platform/postgres_calls.h"

#include <libpq-fe.h>

#include <array>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <vector>

#include "platform/calendar.h"
#include "schema.h"

namespace platform {

namespace {

using schema::Quoted;

// Rows are sent to the server in pieces of about this size: few round trips
// through libpq, little memory.
constexpr std::size_t kCopyChunk = 256 * 1024;

const char* SqlType(ColumnType type) {
  switch (type) {
    case ColumnType::kInteger:
      return "bigint";
    case ColumnType::kMoment:
      return "timestamp";
    case ColumnType::kText:
      break;
  }
  return "text";
}

// The same type as information_schema.columns names it.
const char* SchemaType(ColumnType type) {
  switch (type) {
    case ColumnType::kInteger:
      return "bigint";
    case ColumnType::kMoment:
      return "timestamp without time zone";
    case ColumnType::kText:
      break;
  }
  return "text";
}

const std::vector<std::string>& FilesColumns() {
  static const std::vector<std::string> columns = {"id bigint",
                                                   "path text",
                                                   "size bigint",
                                                   "modified timestamp without time zone",
                                                   "exchange_type text",
                                                   "program text",
                                                   "records bigint",
                                                   "first_call timestamp without time zone",
                                                   "last_call timestamp without time zone",
                                                   "loaded_at timestamp without time zone"};
  return columns;
}

std::vector<std::string> CallsColumns(const CallTableShape& shape) {
  std::vector<std::string> columns = {"file_id bigint", "record_no bigint",
                                      "call_start timestamp without time zone"};
  for (const Column& column : shape.columns)
    columns.push_back(column.key + " " + SchemaType(column.type));
  return columns;
}

std::string FirstLine(const char* message) {
  std::string line = message != nullptr ? message : "";
  line = line.substr(0, line.find('\n'));
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
    line.pop_back();
  return line;
}

// libpq's "connection to server at "h" (a), port p failed: FATAL:  reason"
// comes down to the reason: the server is named once, in front.
std::string ConnectionReason(const char* message) {
  std::string line = FirstLine(message);
  const auto failed = line.find("failed: ");
  if (failed != std::string::npos) line.erase(0, failed + 8);
  for (const char* severity : {"FATAL:  ", "ERROR:  "})
    if (line.rfind(severity, 0) == 0) line.erase(0, std::strlen(severity));
  return line.empty() ? "the connection failed" : line;
}

// Parse errors quote pieces of the connection text, which may be the
// password: those pieces are left out.
std::string WithoutQuotedPieces(const std::string& text) {
  std::string result;
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') {
      if (!quoted) result += "\"…\"";
      quoted = !quoted;
    } else if (!quoted) {
      result += c;
    }
  }
  return result;
}

void IgnoreNotice(void*, const char*) {}

// Paths are kept as UTF-8, which the server insists on; a path whose bytes
// are not (an old Latin-1 name) is taken as Latin-1.
std::string Utf8Path(const std::string& path) {
  std::size_t i = 0;
  while (i < path.size()) {
    const auto byte = static_cast<unsigned char>(path[i]);
    const std::size_t length = byte < 0x80                   ? 1
                               : byte >= 0xC2 && byte < 0xE0 ? 2
                               : byte >= 0xE0 && byte < 0xF0 ? 3
                               : byte >= 0xF0 && byte < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || i + length > path.size()) break;
    std::size_t k = 1;
    while (k < length && (static_cast<unsigned char>(path[i + k]) & 0xC0) == 0x80) ++k;
    if (k < length) break;
    i += length;
  }
  if (i == path.size()) return path;
  std::string text;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | byte >> 6);
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

std::string LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  return std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local) > 0 ? text : "";
}

// A cell of an integer column the server takes as a bigint: digits, at most
// 18 that count (a damaged field may be longer or hold other characters).
bool IsStorableNumber(std::string_view text) {
  if (text.empty()) return false;
  std::size_t significant = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    if (significant > 0 || c != '0') ++significant;
  }
  return significant <= 18;
}

// What a byte of a text cell becomes: 0 as it is, 2 Latin-1 as UTF-8 (the
// connection speaks UTF-8), 3 a NUL, which no PostgreSQL text holds.
constexpr std::array<unsigned char, 256> MakeByteClasses() {
  std::array<unsigned char, 256> classes{};
  for (int byte = 0x80; byte < 0x100; ++byte) classes[static_cast<std::size_t>(byte)] = 2;
  classes[0] = 3;
  return classes;
}
constexpr std::array<unsigned char, 256> kByteClasses = MakeByteClasses();

// Rows go in COPY's binary format: the server then parses no text, which
// was most of its work on a row (about a third less time a row).
constexpr char kBinaryHeader[19] = {'P',  'G', 'C', 'O', 'P', 'Y', '\n', '\377', '\r', '\n',
                                    '\0', 0,   0,   0,   0,   0,   0,    0,      0};

char* PutBig16(char* out, std::int16_t value) {
  const auto bits = static_cast<std::uint16_t>(value);
  out[0] = static_cast<char>(bits >> 8);
  out[1] = static_cast<char>(bits);
  return out + 2;
}

char* PutBig32(char* out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(bits >> (24 - 8 * i));
  return out + 4;
}

// A bigint or timestamp field: its length, then the value.
char* PutInt64Field(char* out, std::int64_t value) {
  out = PutBig32(out, 8);
  const auto bits = static_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) out[i] = static_cast<char>(bits >> (56 - 8 * i));
  return out + 8;
}

char* PutNull(char* out) {
  return PutBig32(out, -1);
}

}  // namespace

// A binary timestamp counts microseconds from 2000-01-01 00:00:00. The
// programs give "YYYY-MM-DDTHH:MM:SS" already checked to be a real moment;
// anything else is refused like the server refuses a text it cannot read.
bool PostgresCalls::MomentMicros(std::string_view moment, std::int64_t* micros) {
  if (moment.size() != 19 || moment[4] != '-' || moment[7] != '-' || moment[10] != 'T' ||
      moment[13] != ':' || moment[16] != ':')
    return false;
  unsigned value[6] = {};
  constexpr std::size_t kAt[6] = {0, 5, 8, 11, 14, 17};
  for (int field = 0; field < 6; ++field) {
    const std::size_t length = field == 0 ? 4 : 2;
    for (std::size_t i = kAt[field]; i < kAt[field] + length; ++i) {
      const auto digit = static_cast<unsigned>(moment[i] - '0');
      if (digit > 9) return false;
      value[field] = value[field] * 10 + digit;
    }
  }
  static constexpr unsigned kMonthDays[13] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const unsigned year = value[0];
  const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  // Year 0 is 1 BC to a binary timestamp but no year to the server's text.
  if (year == 0 || value[1] < 1 || value[1] > 12 || value[2] < 1 ||
      value[2] > kMonthDays[value[1]] || (value[1] == 2 && value[2] == 29 && !leap) ||
      value[3] > 23 || value[4] > 59 || value[5] > 59)
    return false;
  // The day is worked out once for the many calls of a date.
  if (moment.compare(0, 10, moment_date_, 10) != 0) {
    std::memcpy(moment_date_, moment.data(), 10);
    moment_day_ =
        platform::DaysFromCivil(value[0], static_cast<int>(value[1]), static_cast<int>(value[2])) -
        10957;
  }
  *micros = ((moment_day_ * 24 + value[3]) * 3600 + value[4] * 60 + value[5]) * 1000000LL;
  return true;
}

namespace {

class Result {
 public:
  explicit Result(PGresult* result) : result_(result) {}
  ~Result() { PQclear(result_); }
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;
  PGresult* get() const { return result_; }
  ExecStatusType Status() const { return PQresultStatus(result_); }

 private:
  PGresult* result_;
};

}  // namespace

PostgresCalls::~PostgresCalls() {
  if (conn_ != nullptr) Close();
}

bool PostgresCalls::Fail(std::string_view reason) {
  if (!error_.empty()) return false;
  error_ = server_ + ": " + std::string(reason);
  // Belt and braces: no message of ours repeats the password.
  if (password_.size() >= 4) {
    for (auto at = error_.find(password_); at != std::string::npos; at = error_.find(password_))
      error_.replace(at, password_.size(), "…");
  }
  return false;
}

bool PostgresCalls::FailFromConnection() {
  return Fail(ConnectionReason(PQerrorMessage(conn_)));
}

namespace {

// The server's own sentence of a failed command, else libpq's.
std::string ResultReason(PGconn* conn, const PGresult* result) {
  const char* primary =
      result != nullptr ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  if (primary != nullptr && *primary != '\0') return primary;
  return ConnectionReason(PQerrorMessage(conn));
}

}  // namespace

bool PostgresCalls::Execute(const std::string& sql) {
  const Result result(PQexec(conn_, sql.c_str()));
  if (result.Status() == PGRES_COMMAND_OK || result.Status() == PGRES_TUPLES_OK) return true;
  return Fail(ResultReason(conn_, result.get()));
}

// A table of ours that is there must have exactly our columns; one that is
// missing is made later.
bool PostgresCalls::CheckShape(const std::string& table, const std::vector<std::string>& expected,
                               bool* exists) {
  const char* values[] = {table.c_str()};
  const Result result(PQexecParams(conn_,
                                   "SELECT column_name, data_type FROM information_schema.columns "
                                   "WHERE table_schema = current_schema() AND table_name = $1 "
                                   "ORDER BY ordinal_position",
                                   1, nullptr, values, nullptr, nullptr, 0));
  if (result.Status() != PGRES_TUPLES_OK) return Fail(ResultReason(conn_, result.get()));
  std::vector<std::string> found;
  for (int row = 0; row < PQntuples(result.get()); ++row)
    found.push_back(std::string(PQgetvalue(result.get(), row, 0)) + " " +
                    PQgetvalue(result.get(), row, 1));
  *exists = !found.empty();
  if (*exists && found != expected)
    return Fail("the table " + table + " has other columns than this program writes");
  return true;
}

// Only what is missing is made: on a shared server the tables may belong to
// someone who lets this user write but not create.
bool PostgresCalls::CreateMissing(bool files_exist, bool calls_exist) {
  const std::string& calls = shape_.name;
  std::string sql;
  if (!files_exist)
    sql +=
        "CREATE TABLE IF NOT EXISTS files (id bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, "
        "path text NOT NULL UNIQUE, size bigint, modified timestamp, exchange_type text, "
        "program text, records bigint, first_call timestamp, last_call timestamp, "
        "loaded_at timestamp);";
  if (!calls_exist) {
    sql += "CREATE TABLE IF NOT EXISTS " + Quoted(calls) +
           " (file_id bigint NOT NULL, record_no bigint NOT NULL, "
           "call_start timestamp";
    for (const Column& column : shape_.columns)
      sql += ", " + Quoted(column.key) + " " + SqlType(column.type);
    sql += ");";
  }
  std::set<std::string> indexes;
  if (calls_exist) {
    const char* values[] = {calls.c_str()};
    const Result result(PQexecParams(conn_,
                                     "SELECT indexname FROM pg_indexes "
                                     "WHERE schemaname = current_schema() AND tablename = $1",
                                     1, nullptr, values, nullptr, nullptr, 0));
    if (result.Status() != PGRES_TUPLES_OK) return Fail(ResultReason(conn_, result.get()));
    for (int row = 0; row < PQntuples(result.get()); ++row)
      indexes.insert(PQgetvalue(result.get(), row, 0));
  }
  // Into an empty table the indexes are built once at the end, from sorted
  // keys: kept up row by row they cost most of the loading time. Until then
  // a file new to the database has no calls to replace.
  for (const schema::CallIndex& index : schema::CallIndexes(shape_)) {
    const bool there = indexes.count(index.name) != 0;
    if (defer_indexes_ && there)
      sql += "DROP INDEX " + Quoted(index.name) + ";";
    else if (!defer_indexes_ && !there)
      sql += index.create;
  }
  return sql.empty() || Execute(sql);
}

bool PostgresCalls::TableIsEmpty(bool exists) {
  if (!exists) return true;
  const Result result(PQexec(conn_, ("SELECT 1 FROM " + Quoted(shape_.name) + " LIMIT 1").c_str()));
  return result.Status() == PGRES_TUPLES_OK && PQntuples(result.get()) == 0;
}

bool PostgresCalls::Open(const std::string& connection, const CallTableShape& shape) {
  shape_ = shape;
  error_.clear();
  files_committed_ = 0;
  numbers_not_stored_ = 0;
  server_ = "PostgreSQL";
  char* parse_error = nullptr;
  PQconninfoOption* options = PQconninfoParse(connection.c_str(), &parse_error);
  if (options == nullptr) {
    const std::string reason =
        parse_error != nullptr ? WithoutQuotedPieces(FirstLine(parse_error)) : "out of memory";
    PQfreemem(parse_error);
    return Fail("the connection text cannot be read: " + reason);
  }
  PQconninfoFree(options);

  // The connection text comes first so that what follows it wins: UTF-8 on
  // the wire whatever the text or PGCLIENTENCODING says. Its own
  // connect_timeout wins over ours, which keeps a window from waiting
  // minutes for an unreachable host.
  std::vector<const char*> keywords;
  std::vector<const char*> values;
  if (std::getenv("PGCONNECT_TIMEOUT") == nullptr) {
    keywords.push_back("connect_timeout");
    values.push_back("10");
  }
  keywords.insert(keywords.end(), {"dbname", "client_encoding", "fallback_application_name"});
  values.insert(values.end(), {connection.c_str(), "UTF8", "norva"});
  keywords.push_back(nullptr);
  values.push_back(nullptr);
  conn_ = PQconnectdbParams(keywords.data(), values.data(), 1);
  if (conn_ == nullptr) return Fail("out of memory");
  const char* host = PQhost(conn_);
  const char* port = PQport(conn_);
  const char* database = PQdb(conn_);
  server_ = std::string(host != nullptr ? host : "") + ":" + (port != nullptr ? port : "") + "/" +
            (database != nullptr ? database : "");
  const char* password = PQpass(conn_);
  password_ = password != nullptr ? password : "";
  if (PQstatus(conn_) != CONNECTION_OK) {
    FailFromConnection();
    PQfinish(conn_);
    conn_ = nullptr;
    return false;
  }
  // "relation already exists, skipping" and the like are not for the user.
  PQsetNoticeProcessor(conn_, IgnoreNotice, nullptr);

  // Checked and made in one transaction: a refused database is left as it
  // was, and two programs starting at once do not both create the tables.
  bool files_exist = false;
  bool calls_exist = false;
  const bool ready = Execute("BEGIN") && Execute("SELECT pg_advisory_xact_lock(7166292)") &&
                     CheckShape("files", FilesColumns(), &files_exist) &&
                     CheckShape(shape_.name, CallsColumns(shape_), &calls_exist) &&
                     (defer_indexes_ = TableIsEmpty(calls_exist), true) &&
                     CreateMissing(files_exist, calls_exist) && Execute("COMMIT");
  if (!ready) {
    PQclear(PQexec(conn_, "ROLLBACK"));
    PQfinish(conn_);
    conn_ = nullptr;
    return false;
  }
  copy_sql_ = "COPY " + Quoted(shape_.name) + " (file_id, record_no, call_start";
  for (const Column& column : shape_.columns) copy_sql_ += ", " + Quoted(column.key);
  copy_sql_ += ") FROM STDIN (FORMAT binary)";
  buffer_.resize(kCopyChunk);
  used_ = 0;
  return true;
}

bool PostgresCalls::BeginFile(const InputFile& file) {
  if (!Execute("BEGIN")) return false;
  in_file_ = true;
  calls_ = 0;
  first_call_.clear();
  last_call_.clear();
  used_ = 0;
  std::memcpy(moment_date_, "0000000000", 10);
  const std::string size = std::to_string(file.size);
  const std::string loaded_at = LocalNow();
  const std::string path = Utf8Path(file.path);
  bool new_file = false;
  const char* values[] = {path.c_str(),
                          size.c_str(),
                          file.modified.empty() ? nullptr : file.modified.c_str(),
                          file.exchange_type.c_str(),
                          file.program.c_str(),
                          loaded_at.empty() ? nullptr : loaded_at.c_str()};
  {
    const Result result(PQexecParams(
        conn_,
        "INSERT INTO files (path, size, modified, exchange_type, program, records, loaded_at) "
        "VALUES ($1, $2, $3, $4, $5, 0, $6) "
        "ON CONFLICT (path) DO UPDATE SET size = excluded.size, modified = excluded.modified, "
        "exchange_type = excluded.exchange_type, program = excluded.program, records = 0, "
        "first_call = NULL, last_call = NULL, loaded_at = excluded.loaded_at "
        "RETURNING id, xmax = 0",
        6, nullptr, values, nullptr, nullptr, 0));
    if (result.Status() != PGRES_TUPLES_OK || PQntuples(result.get()) != 1) {
      Fail(ResultReason(conn_, result.get()));
      RollbackFile();
      return false;
    }
    file_id_ = std::strtoll(PQgetvalue(result.get(), 0, 0), nullptr, 10);
    // xmax is 0 in a row this statement inserted, not in one it updated.
    new_file = PQgetvalue(result.get(), 0, 1)[0] == 't';
  }
  {
    // Every row begins with its field count and the file's id.
    char* out = PutBig16(row_head_, static_cast<std::int16_t>(3 + shape_.columns.size()));
    PutInt64Field(out, file_id_);
  }
  // Loading a file again replaces its calls.
  if (!new_file && !Execute("DELETE FROM " + Quoted(shape_.name) +
                            " WHERE file_id = " + std::to_string(file_id_))) {
    RollbackFile();
    return false;
  }
  const Result copy(PQexec(conn_, copy_sql_.c_str()));
  if (copy.Status() != PGRES_COPY_IN) {
    Fail(ResultReason(conn_, copy.get()));
    RollbackFile();
    return false;
  }
  in_copy_ = true;
  std::memcpy(buffer_.data(), kBinaryHeader, sizeof kBinaryHeader);
  used_ = sizeof kBinaryHeader;
  return true;
}

// One text cell: its length, then its bytes, Latin-1 record bytes as UTF-8.
// `out` has room for twice the cell and its length.
char* PostgresCalls::PutText(char* out, std::string_view cell) {
  char* const length = out;
  out += 4;
  std::size_t plain = 0;
  while (plain < cell.size() && kByteClasses[static_cast<unsigned char>(cell[plain])] == 0) ++plain;
  std::memcpy(out, cell.data(), plain);
  out += plain;
  for (std::size_t i = plain; i < cell.size(); ++i) {
    const auto byte = static_cast<unsigned char>(cell[i]);
    switch (kByteClasses[byte]) {
      case 0:
        *out++ = static_cast<char>(byte);
        break;
      case 2:
        *out++ = static_cast<char>(0xC0 | byte >> 6);
        *out++ = static_cast<char>(0x80 | (byte & 0x3F));
        break;
      default:
        // Kept visible as the two characters \0 rather than dropped.
        *out++ = '\\';
        *out++ = '0';
        break;
    }
  }
  PutBig32(length, static_cast<std::int32_t>(out - length - 4));
  return out;
}

bool PostgresCalls::AddCall(std::int64_t record_no, std::string_view call_start,
                            const std::string_view* cells) {
  if (!in_copy_) return Fail("no file is being loaded");
  const std::size_t columns = shape_.columns.size();
  // The most a row takes: 2 + 12 for each number and moment, 4 + twice the
  // bytes for a text.
  std::size_t room = sizeof row_head_ + 2 * 12 + 12 * columns;
  for (std::size_t i = 0; i < columns; ++i) room += 2 * cells[i].size();
  if (buffer_.size() - used_ < room) {
    if (!Flush()) return false;
    if (buffer_.size() < room) buffer_.resize(room);
  }
  char* out = buffer_.data() + used_;
  std::memcpy(out, row_head_, sizeof row_head_);
  out = PutInt64Field(out + sizeof row_head_, record_no);
  if (call_start.empty()) {
    out = PutNull(out);
  } else {
    std::int64_t micros = 0;
    if (!MomentMicros(call_start, &micros))
      return Fail("a call starts at \"" + std::string(call_start) + "\", which is not a moment");
    out = PutInt64Field(out, micros);
  }
  for (std::size_t i = 0; i < columns; ++i) {
    const std::string_view cell = cells[i];
    const ColumnType type = shape_.columns[i].type;
    if (cell.data() == nullptr || (type != ColumnType::kText && cell.empty())) {
      out = PutNull(out);
    } else if (type == ColumnType::kText) {
      out = PutText(out, cell);
    } else if (IsStorableNumber(cell)) {
      std::int64_t number = 0;
      for (const char c : cell) number = number * 10 + (c - '0');
      out = PutInt64Field(out, number);
    } else {
      // A bigint column holds no text (SQLite keeps it): the value is missing.
      out = PutNull(out);
      ++numbers_not_stored_;
    }
  }
  used_ = static_cast<std::size_t>(out - buffer_.data());
  ++calls_;
  if (!call_start.empty()) {
    if (first_call_.empty()) first_call_ = call_start;
    last_call_ = call_start;
  }
  return true;
}

bool PostgresCalls::Flush() {
  if (used_ == 0) return true;
  const bool sent = PQputCopyData(conn_, buffer_.data(), static_cast<int>(used_)) == 1;
  used_ = 0;
  if (sent) return true;
  // The COPY is over: the server's reason, when it gave one, says why.
  in_copy_ = false;
  std::string reason;
  while (PGresult* raw = PQgetResult(conn_)) {
    const Result result(raw);
    if (reason.empty() && result.Status() != PGRES_COMMAND_OK)
      reason = ResultReason(conn_, result.get());
  }
  return Fail(reason.empty() ? ConnectionReason(PQerrorMessage(conn_)) : reason);
}

// Ends the COPY: with `abort_reason` the server throws its rows away.
bool PostgresCalls::EndCopy(const char* abort_reason) {
  in_copy_ = false;
  bool ok = PQputCopyEnd(conn_, abort_reason) == 1;
  if (!ok && abort_reason == nullptr) FailFromConnection();
  while (PGresult* raw = PQgetResult(conn_)) {
    const Result result(raw);
    if (result.Status() != PGRES_COMMAND_OK) {
      if (ok && abort_reason == nullptr) Fail(ResultReason(conn_, result.get()));
      ok = false;
    }
  }
  return ok;
}

bool PostgresCalls::CommitFile() {
  if (!in_file_) return Fail("no file is being loaded");
  if (in_copy_ && used_ + 2 > buffer_.size() && !Flush()) {
    RollbackFile();
    return false;
  }
  if (in_copy_) {
    PutBig16(buffer_.data() + used_, -1);  // the end of the rows
    used_ += 2;
  }
  if (!Flush() || !in_copy_ || !EndCopy(nullptr)) {
    RollbackFile();
    return false;
  }
  const std::string records = std::to_string(calls_);
  const std::string id = std::to_string(file_id_);
  const char* values[] = {records.c_str(), first_call_.empty() ? nullptr : first_call_.c_str(),
                          first_call_.empty() ? nullptr : last_call_.c_str(), id.c_str()};
  {
    const Result result(PQexecParams(
        conn_, "UPDATE files SET records = $1, first_call = $2, last_call = $3 WHERE id = $4", 4,
        nullptr, values, nullptr, nullptr, 0));
    if (result.Status() != PGRES_COMMAND_OK) {
      Fail(ResultReason(conn_, result.get()));
      RollbackFile();
      return false;
    }
  }
  {
    // COMMIT of a transaction that failed answers ROLLBACK, not an error.
    const Result result(PQexec(conn_, "COMMIT"));
    in_file_ = false;
    if (result.Status() != PGRES_COMMAND_OK || std::strcmp(PQcmdStatus(result.get()), "COMMIT"))
      return Fail(result.Status() == PGRES_COMMAND_OK ? "the file's transaction was rolled back"
                                                      : ResultReason(conn_, result.get()));
  }
  ++files_committed_;
  return true;
}

void PostgresCalls::RollbackFile() {
  if (!in_file_) return;
  in_file_ = false;
  used_ = 0;
  if (in_copy_) EndCopy("the file was not loaded to its end");
  PQclear(PQexec(conn_, "ROLLBACK"));
}

bool PostgresCalls::Close() {
  if (conn_ == nullptr) return error_.empty();
  RollbackFile();
  if (defer_indexes_) {
    // The sorts of the index builds get 256 MiB of the server's memory for
    // this transaction only, unless the server already allows more: fewer
    // merge passes, about a sixth less time.
    if (!Execute("BEGIN;SELECT set_config('maintenance_work_mem', '262144kB', true) "
                 "FROM pg_settings WHERE name = 'maintenance_work_mem' "
                 "AND setting::bigint < 262144;" +
                 schema::CreateCallIndexes(shape_) + "COMMIT;"))
      PQclear(PQexec(conn_, "ROLLBACK"));
    defer_indexes_ = false;
  }
  PQfinish(conn_);
  conn_ = nullptr;
  return error_.empty();
}

}  // namespace platform
