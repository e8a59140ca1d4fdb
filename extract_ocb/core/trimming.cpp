#include "ostrel/trimming.h"

#include <system_error>
#include <vector>

#include "platform/binary_reader.h"
#include "platform/file_replacer.h"
#include "platform/numbers.h"
#include "platform/open_file.h"

namespace ostrel {

namespace {

constexpr double kBytesPerMegabyte = 1048576.0;
// Small enough that the window is pumped often during a copy of hundreds of
// megabytes.
constexpr std::size_t kCopyChunk = 64 * 1024;

std::string Megabytes(std::uint64_t bytes) {
  return platform::ShortestDecimal(static_cast<double>(bytes) / kBytesPerMegabyte, 2);
}

void ShowError(Host& host, const std::string& text) {
  host.ShowMessage({text, kProgramTitle, MessageIcon::kError, MessageButtons::kOk});
}

// Taken by a file, a folder or a link (even one that leads nowhere).
bool NameTaken(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

enum class CopyEnd { kCopied, kFailed, kStopped };

// Copies the first `length` bytes of `reader` into `writer`.
CopyEnd CopyPrefix(platform::BinaryReader& reader, std::uint64_t length,
                   platform::TextWriter& writer, Host& host) {
  std::vector<char> chunk(kCopyChunk);
  for (std::uint64_t offset = 0; offset < length;) {
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, length - offset));
    reader.Read(offset, chunk.data(), count);
    if (reader.ReadFailed()) return CopyEnd::kFailed;
    if (!writer.Write(std::string_view(chunk.data(), count))) return CopyEnd::kFailed;
    offset += count;
    host.PumpEvents();
    if (host.StopRequested()) return CopyEnd::kStopped;
  }
  return CopyEnd::kCopied;
}

}  // namespace

std::string TrimQuestion(std::uint64_t size, std::uint64_t useful) {
  return "Are You Sure to Trim the Binary File of size " + Megabytes(size) + " MB  to size  " +
         Megabytes(useful) + " MB";
}

std::filesystem::path TrimTarget(const std::string& input, const FileDetails& details,
                                 const std::filesystem::path& folder) {
  std::filesystem::path where = folder;
  if (where.empty()) where = platform::PathOf(input).parent_path();
  if (where.empty()) where = ".";
  std::filesystem::path target = where / (details.first.date + ".dat");
  for (int n = 2; NameTaken(target); ++n)
    target = where / (details.first.date + " (" + std::to_string(n) + ").dat");
  return target;
}

TrimResult TrimFile(const std::string& input, const FileDetails& details,
                    const std::filesystem::path& folder, Host& host) {
  TrimResult result;
  result.target = TrimTarget(input, details, folder);
  if (details.useful == 0) {
    ShowError(host, input + " holds no data block; there is nothing to trim");
    return result;
  }
  host.SetBusy(true);
  const MessageAnswer answer =
      host.ShowMessage({TrimQuestion(details.size, details.useful), "Confirmation",
                        MessageIcon::kQuestion, MessageButtons::kYesNo});
  if (answer != MessageAnswer::kYes) {
    host.SetBusy(false);
    result.outcome = TrimOutcome::kDeclined;
    return result;
  }
  // The name is chosen again: another copy may have taken it meanwhile.
  result.target = TrimTarget(input, details, folder);
  std::error_code folder_error;
  if (!folder.empty() && !std::filesystem::is_directory(folder, folder_error)) {
    std::filesystem::create_directories(folder, folder_error);
    if (folder_error) {
      host.SetBusy(false);
      ShowError(host, "Cannot write the trimmed copy " + result.target.string() +
                          ": its folder cannot be created: " + folder_error.message());
      return result;
    }
  }
  platform::BinaryReader reader;
  std::string reason;
  if (!reader.Open(platform::PathOf(input), &reason)) {
    host.SetBusy(false);
    ShowError(host, "Cannot open the input file " + input + ": " + reason);
    return result;
  }
  platform::FileReplacer replacer;
  bool ok = replacer.Begin(result.target);
  std::string error = replacer.Error();
  const CopyEnd copied =
      ok ? CopyPrefix(reader, details.useful, replacer.Writer(), host) : CopyEnd::kFailed;
  if (copied == CopyEnd::kStopped) {
    replacer.Cancel();
    reader.Close();
    host.SetBusy(false);
    result.outcome = TrimOutcome::kStopped;
    return result;
  }
  if (ok && copied == CopyEnd::kFailed) {
    ok = false;
    error = reader.ReadFailed() ? input + ": the file could not be read to its end"
                                : result.target.string() + ": " + replacer.Writer().Reason();
    replacer.Cancel();
  }
  if (ok && !replacer.Commit()) {
    ok = false;
    error = replacer.Error();
  }
  reader.Close();
  host.SetBusy(false);
  if (!ok) {
    ShowError(host, "Cannot write the trimmed copy " + error);
    return result;
  }
  result.outcome = TrimOutcome::kTrimmed;
  host.ShowMessage({"The Input File is Trimmed and Renamed as " + result.target.string(),
                    "Ostrel Report", MessageIcon::kInformation, MessageButtons::kOk});
  return result;
}

}  // namespace ostrel
