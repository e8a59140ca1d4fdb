#pragma once
// The output formats every extractor offers: the described text lines, rows
// for other tools (csv, jsonl), or calls loaded into a database.
#include <string>
#include <string_view>

namespace platform {

enum class OutputFormat { kText, kCsv, kJsonl, kSqlite, kPostgres };

// "text", "csv", "jsonl", "sqlite", "postgres".
const char* OutputFormatName(OutputFormat format);
// The format named `name`; false when there is none of that name.
bool ParseOutputFormat(std::string_view name, OutputFormat* format);
// For usage texts and messages: "text, csv, jsonl, sqlite or postgres".
inline constexpr const char* kOutputFormatNames = "text, csv, jsonl, sqlite or postgres";
// The usage error of an unknown --format value.
std::string UnknownOutputFormatText(std::string_view name);

inline bool IsTableFormat(OutputFormat format) {
  return format == OutputFormat::kCsv || format == OutputFormat::kJsonl;
}
inline bool IsDatabaseFormat(OutputFormat format) {
  return format == OutputFormat::kSqlite || format == OutputFormat::kPostgres;
}

}  // namespace platform
