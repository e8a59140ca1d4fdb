#include "trimming.h"

#include <system_error>
#include <vector>

#include "platform/binary_reader.h"
#include "platform/file_replacer.h"
#include "platform/numbers.h"

namespace ostrel {

namespace {

constexpr double kBytesPerMegabyte = 1048576.0;
constexpr std::size_t kCopyChunk = 1 << 20;

std::string Megabytes(std::uint64_t bytes) {
  return platform::ShortestDecimal(static_cast<double>(bytes) / kBytesPerMegabyte, 2);
}

void ShowError(Host& host, const std::string& text) {
  host.Show({text, kProgramTitle, MessageIcon::kError, MessageButtons::kOk});
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  return std::filesystem::exists(b, ec) && std::filesystem::equivalent(a, b, ec);
}

// Copies the first `length` bytes of `reader` into `writer`.
bool CopyPrefix(platform::BinaryReader& reader, std::uint64_t length,
                platform::TextWriter& writer) {
  std::vector<char> chunk(kCopyChunk);
  for (std::uint64_t offset = 0; offset < length;) {
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, length - offset));
    reader.Read(offset, chunk.data(), count);
    if (reader.ReadFailed()) return false;
    if (!writer.Write(std::string_view(chunk.data(), count))) return false;
    offset += count;
  }
  return true;
}

}  // namespace

std::string TrimQuestion(std::uint64_t size, std::uint64_t useful) {
  return "Are You Sure to Trim the Binary File of size " + Megabytes(size) + " MB  to size  " +
         Megabytes(useful) + " MB";
}

std::filesystem::path TrimTarget(const std::string& input, const FileDetails& details,
                                 const std::filesystem::path& folder) {
  std::filesystem::path where = folder;
  if (where.empty()) where = std::filesystem::path(input).parent_path();
  if (where.empty()) where = ".";
  return where / (details.first.date + ".dat");
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
      host.Show({TrimQuestion(details.size, details.useful), "Confirmation", MessageIcon::kQuestion,
                 MessageButtons::kYesNo});
  if (answer != MessageAnswer::kYes) {
    host.SetBusy(false);
    result.outcome = TrimOutcome::kDeclined;
    return result;
  }
  if (SameFile(input, result.target)) {
    host.SetBusy(false);
    ShowError(host, "The trimmed copy would be named " + result.target.string() +
                        ", which is the input file itself. Move the input file or choose "
                        "another folder for the copy");
    return result;
  }
  platform::BinaryReader reader;
  std::string reason;
  if (!reader.Open(input, &reason)) {
    host.SetBusy(false);
    ShowError(host, "Cannot open the input file " + input + ": " + reason);
    return result;
  }
  platform::FileReplacer replacer;
  bool ok = replacer.Begin(result.target);
  std::string error = replacer.Error();
  if (ok && !CopyPrefix(reader, details.useful, replacer.Writer())) {
    ok = false;
    error = reader.ReadFailed() ? input + ": the file could not be read to its end"
                                : replacer.Writer().Error();
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
  host.Show({"The Input File is Trimmed and Renamed as " + result.target.string(), "Ostrel Report",
             MessageIcon::kInformation, MessageButtons::kOk});
  return result;
}

}  // namespace ostrel
