#pragma once
// Replacing a file as a whole (extraction output, reports, trimmed copies,
// workbooks): the new content goes to a temporary file in the target's folder
// and is renamed over the target only when the run ends as it should, so a
// failed or abandoned run never destroys what was there and leaves no
// temporary file behind, not even when the program is ended by Ctrl-C. The
// temporary file is created at once, so an output that cannot be written is
// found before a long run starts.
#include <filesystem>
#include <string>

#include "platform/text_writer.h"

namespace platform {

class FileReplacer {
 public:
  FileReplacer() = default;
  ~FileReplacer();  // removes the temporary file unless committed
  FileReplacer(const FileReplacer&) = delete;
  FileReplacer& operator=(const FileReplacer&) = delete;

  // Creates the temporary file beside `target`. On failure Error() says why.
  // The target "-" is the standard output, written directly.
  bool Begin(const std::filesystem::path& target);
  // Creates only the temporary file, for writers of their own (a workbook
  // library) that write to TemporaryPath() by name; Commit renames it.
  bool Reserve(const std::filesystem::path& target);
  const std::filesystem::path& Target() const { return target_; }
  bool Active() const { return !temporary_.empty(); }
  TextWriter& Writer() { return writer_; }
  const std::filesystem::path& TemporaryPath() const { return temporary_; }
  // Flushes, closes and renames over the target. Returns false (and keeps the
  // target untouched) when anything failed.
  bool Commit();
  void Cancel();
  const std::string& Error() const { return error_; }

 private:
  TextWriter writer_;
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::string error_;
  bool in_place_ = false;  // the target is a device or pipe, written directly
  int ticket_ = -1;        // the temporary file's registration
};

// A path in `folder` named stem + a number + extension that does not exist
// yet (for example "Lomtra-3.xlsx").
std::filesystem::path UniquePath(const std::filesystem::path& folder, const std::string& stem,
                                 const std::string& extension);

// Renames `from` over `to`; on failure returns false with the reason.
bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to,
                std::string* error);

}  // namespace platform
