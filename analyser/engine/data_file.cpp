#include "engine/data_file.h"

#include <system_error>

namespace lomtra {

bool DataFile::OpenData(const std::filesystem::path& path) {
  error_.clear();
  if (reader_.Open(path, &error_)) {
    reader_.MapFile();
    return true;
  }
  if (error_.empty()) error_ = path.string() + ": cannot be opened";
  return false;
}

namespace {
thread_local bool t_read_failed = false;
}  // namespace

void DataFile::Close() {
  if (reader_.IsOpen() && reader_.ReadFailed()) t_read_failed = true;
  reader_.Close();
}

void ForgetReadFailures() {
  t_read_failed = false;
}

bool AnyReadFailed() {
  return t_read_failed;
}

void NoteReadFailure() {
  t_read_failed = true;
}

std::optional<std::uint64_t> FileLength(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return std::nullopt;
  return static_cast<std::uint64_t>(size);
}

}  // namespace lomtra
