#include "platform/file_replacer.h"

#include <atomic>
#include <chrono>
#include <system_error>

#include "platform/interrupt.h"
#include "platform/open_file.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace platform {

namespace {

// UniquePath with a stem kept as a path: on Windows a name outside the ANSI
// code page has no narrow text.
std::filesystem::path UniquePathNamed(const std::filesystem::path& folder,
                                      const std::filesystem::path& stem,
                                      const std::string& extension) {
  static std::atomic<unsigned> counter{0};
  const auto seed =
      static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFF);
  for (unsigned i = 0;; ++i) {
    const unsigned n = i == 0 ? 1 : seed + counter.fetch_add(1) + i;
    std::filesystem::path name = stem;
    name += "-" + std::to_string(n) + extension;
    const std::filesystem::path candidate = folder / name;
    std::error_code ec;
    if (!std::filesystem::exists(candidate, ec)) return candidate;
  }
}

}  // namespace

FileReplacer::~FileReplacer() {
  Cancel();
}

bool FileReplacer::Begin(const std::filesystem::path& target) {
  Cancel();
  error_.clear();
  target_ = target;
  in_place_ = false;
  if (target == "-") {
    writer_.OpenStandardOutput();
    in_place_ = true;
    temporary_ = target;
    return true;
  }
  std::error_code status_error;
  const auto status = std::filesystem::status(target, status_error);
  if (!status_error && std::filesystem::exists(status) &&
      !std::filesystem::is_regular_file(status) && !std::filesystem::is_directory(status)) {
    // A device or pipe (/dev/full, /dev/null) is written in place: renaming
    // over it would put a plain file where the device was.
    if (!writer_.Open(target)) {
      error_ = target.string() + ": " + writer_.Reason();
      return false;
    }
    in_place_ = true;
    temporary_ = target;
    return true;
  }
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::filesystem::path stem = ".";
  stem += target.filename();
  stem += ".part";
  temporary_ = UniquePathNamed(folder, stem, ".tmp");
  if (!writer_.Open(temporary_)) {
    error_ = target.string() + ": " + writer_.Reason();
    temporary_.clear();
    return false;
  }
  ticket_ = RegisterTemporaryFile(temporary_);
  return true;
}

bool FileReplacer::Reserve(const std::filesystem::path& target) {
  if (!Begin(target)) return false;
  if (!in_place_) writer_.Close();
  return true;
}

bool FileReplacer::Commit() {
  if (temporary_.empty()) {
    if (error_.empty()) error_ = target_.string() + ": nothing was written";
    return false;
  }
  if (!writer_.Close()) {
    error_ = target_.string() + ": " + writer_.Reason();
    Cancel();
    return false;
  }
  if (in_place_) {
    temporary_.clear();
    in_place_ = false;
    return true;
  }
  std::string reason;
  if (!RenameOver(temporary_, target_, &reason)) {
    error_ = target_.string() + ": " + reason;
    Cancel();
    return false;
  }
  temporary_.clear();
  UnregisterTemporaryFile(ticket_);
  ticket_ = -1;
  return true;
}

void FileReplacer::Cancel() {
  writer_.Abandon();
  if (in_place_) {
    temporary_.clear();
    in_place_ = false;
  }
  if (!temporary_.empty()) {
    std::error_code ec;
    std::filesystem::remove(temporary_, ec);
    temporary_.clear();
  }
  UnregisterTemporaryFile(ticket_);
  ticket_ = -1;
}

std::filesystem::path UniquePath(const std::filesystem::path& folder, const std::string& stem,
                                 const std::string& extension) {
  return UniquePathNamed(folder, platform::PathOf(stem), extension);
}

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to,
                std::string* error) {
#if defined(_WIN32)
  // Replaces an existing file in one step, as rename() does on Linux; a
  // target another program holds open refuses, and says so.
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  if (error) *error = std::system_category().message(static_cast<int>(GetLastError()));
  return false;
#else
  std::error_code ec;
  std::filesystem::rename(from, to, ec);
  if (ec) {
    if (error) *error = ec.message();
    return false;
  }
  return true;
#endif
}

}  // namespace platform
