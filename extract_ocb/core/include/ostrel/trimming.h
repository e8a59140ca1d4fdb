#pragma once
// A copy of an oversized file that holds only its current data (the first
// U bytes), named after the date of its first call.
#include <cstdint>
#include <filesystem>
#include <string>

#include "ostrel/file_analysis.h"
#include "ostrel/host.h"

namespace ostrel {

enum class TrimOutcome {
  kTrimmed,
  kDeclined,
  kFailed,
  kStopped,  // Ctrl-C during the copy: nothing was written
};

struct TrimResult {
  TrimOutcome outcome = TrimOutcome::kFailed;
  std::filesystem::path target;
};

// "Are You Sure to Trim the Binary File of size X MB  to size  Y MB"
std::string TrimQuestion(std::uint64_t size, std::uint64_t useful);

// Where the copy goes: `folder` (the input's own folder when empty) and the
// first record's date + ".dat"; when that name is taken, "date (2).dat",
// "date (3).dat" and so on, so that no copy replaces another file.
std::filesystem::path TrimTarget(const std::string& input, const FileDetails& details,
                                 const std::filesystem::path& folder);

// Asks the trim question through `host` and on Yes writes the copy through a
// temporary file renamed when complete, creating the folder when it is
// missing. The copy goes in chunks: the host pumps events between them and
// may stop it (the copy is then abandoned). The input is never changed.
TrimResult TrimFile(const std::string& input, const FileDetails& details,
                    const std::filesystem::path& folder, Host& host);

}  // namespace ostrel
