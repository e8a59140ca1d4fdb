#pragma once
// What the database classes share: quoted names, the search indexes of a
// calls table, and SQLite's `files` table, which SqliteCalls and SqliteFiles
// must make and check alike (a database either made must suit the other).
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/call_store.h"

namespace platform::schema {

// Identifiers are always quoted: keys may begin with a digit ("3rd_party_digit").
inline std::string Quoted(std::string_view name) {
  std::string text = "\"";
  for (const char c : name) {
    if (c == '"') text += '"';
    text += c;
  }
  return text + '"';
}

// The keys with an index besides (file_id, record_no): call_start, then the
// shape's numbers.
inline std::vector<std::string> SearchIndexKeys(const CallTableShape& shape) {
  std::vector<std::string> keys = {"call_start"};
  keys.insert(keys.end(), shape.indexed_keys.begin(), shape.indexed_keys.end());
  return keys;
}

inline std::string SearchIndexName(const CallTableShape& shape, const std::string& key) {
  return Quoted(shape.name + "_" + key);
}

// Every index of a calls table, by name: (file_id, record_no), a call's key,
// which also finds a file's rows to replace them, then the search indexes.
struct CallIndex {
  std::string name;    // unquoted
  std::string create;  // CREATE … IF NOT EXISTS …;
};

inline std::vector<CallIndex> CallIndexes(const CallTableShape& shape) {
  std::vector<CallIndex> indexes;
  const std::string key = shape.name + "_file_record";
  indexes.push_back({key, "CREATE UNIQUE INDEX IF NOT EXISTS " + Quoted(key) + " ON " +
                              Quoted(shape.name) + " (file_id, record_no);"});
  for (const std::string& column : SearchIndexKeys(shape))
    indexes.push_back({shape.name + "_" + column,
                       "CREATE INDEX IF NOT EXISTS " + SearchIndexName(shape, column) + " ON " +
                           Quoted(shape.name) + " (" + Quoted(column) + ");"});
  return indexes;
}

inline std::string CreateCallIndexes(const CallTableShape& shape) {
  std::string sql;
  for (const CallIndex& index : CallIndexes(shape)) sql += index.create;
  return sql;
}

inline std::string DropCallIndexes(const CallTableShape& shape) {
  std::string sql;
  for (const CallIndex& index : CallIndexes(shape))
    sql += "DROP INDEX IF EXISTS " + Quoted(index.name) + ";";
  return sql;
}

inline constexpr const char* kSqliteCreateFiles =
    "CREATE TABLE IF NOT EXISTS files (id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, "
    "size INTEGER, modified TEXT, exchange_type TEXT, program TEXT, records INTEGER, "
    "first_call TEXT, last_call TEXT, loaded_at TEXT)";

// The files table's columns, "name TYPE" as SQLite's PRAGMA table_info tells them.
inline const std::vector<std::string>& SqliteFilesColumns() {
  static const std::vector<std::string> columns = {
      "id INTEGER",   "path TEXT",       "size INTEGER",    "modified TEXT",  "exchange_type TEXT",
      "program TEXT", "records INTEGER", "first_call TEXT", "last_call TEXT", "loaded_at TEXT"};
  return columns;
}

// SQLite is only asked to open a file that begins as a database.
inline bool BeginsLikeSqlite(const std::filesystem::path& path) {
  static constexpr char kHeader[16] = "SQLite format 3";  // and its NUL
  std::array<char, 16> head{};
  std::ifstream in(path, std::ios::binary);
  in.read(head.data(), head.size());
  return in.gcount() == 16 && std::memcmp(head.data(), kHeader, 16) == 0;
}

}  // namespace platform::schema
