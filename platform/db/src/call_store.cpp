#include "platform/call_store.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/open_file.h"

#if !defined(SUITE_NO_DATABASES)
#include "platform/postgres_calls.h"
#include "platform/sqlite_calls.h"
#endif

namespace platform {

InputFile DescribeInputFile(const std::string& path, std::string exchange_type,
                            std::string program) {
  namespace fs = std::filesystem;
  InputFile file;
  std::error_code error;
  fs::path absolute = fs::absolute(platform::PathOf(path), error);
  if (error) absolute = platform::PathOf(path);
  file.path = absolute.lexically_normal().string();
  const auto size = fs::file_size(absolute, error);
  file.size = error ? 0 : static_cast<std::int64_t>(size);
  const auto written = fs::last_write_time(absolute, error);
  if (!error) {
    const auto system = std::chrono::file_clock::to_sys(written);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(system);
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char text[32];
    if (std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local) > 0) file.modified = text;
  }
  file.exchange_type = std::move(exchange_type);
  file.program = std::move(program);
  return file;
}

std::unique_ptr<CallStore> OpenCallStore(OutputFormat format, const std::string& target,
                                         const CallTableShape& given, std::string* error) {
  // A column named by its caption only gets the caption's snake_case key,
  // as in the JSON Lines rows.
  CallTableShape shape = given;
  for (Column& column : shape.columns)
    if (column.key.empty()) column.key = SnakeCaseKey(column.caption);
#if defined(SUITE_NO_DATABASES)
  (void)target;
  if (IsDatabaseFormat(format)) {
    *error = std::string("--format ") + OutputFormatName(format) +
             " is not in this build; use --format csv";
    return nullptr;
  }
#else
  if (format == OutputFormat::kSqlite) {
    auto store = std::make_unique<SqliteCalls>();
    if (store->Open(target, shape)) return store;
    *error = store->Error();
    return nullptr;
  }
  if (format == OutputFormat::kPostgres) {
    auto store = std::make_unique<PostgresCalls>();
    if (store->Open(target, shape)) return store;
    *error = store->Error();
    return nullptr;
  }
#endif
  *error = std::string("the ") + OutputFormatName(format) + " output is not in this build";
  return nullptr;
}

}  // namespace platform
