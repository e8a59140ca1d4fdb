#pragma once
// What `lomtra check` and the coverage view report about a series of files:
// one exchange's files in one folder, ordered by their first call.
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "engine/switch_type.h"

namespace lomtra {

// A moment on the exchange's own clock, in seconds from 1970-01-01 00:00:00
// (no time zone: the files carry none).
using Moment = std::int64_t;
inline constexpr Moment kNoMoment = std::numeric_limits<Moment>::min();

enum class FindingKind {
  kGap,            // no file covers a stretch between two files longer than the threshold
  kOverlap,        // a file begins before the one before it ends
  kSequenceBreak,  // the format's own numbering skips or goes back from one file to the next
  kQuietStretch,   // inside one file, no call for longer than the threshold
  kDuplicateFile,  // the same content under two names
  kDuplicateCall,  // the same call (calling, called, start, duration) more than once
  kUnreadable,     // the file could not be read to its end
  kStaleData,      // old data behind the current data (OCB-283)
};

// A file of a series as the checks see it.
struct SeriesFile {
  std::string path;
  SwitchType type = SwitchType::kUnknown;
  Moment first_call = kNoMoment;
  Moment last_call = kNoMoment;
  std::uint64_t records = 0;
};

struct Finding {
  FindingKind kind = FindingKind::kGap;
  std::string series;  // the folder and the exchange type
  std::string where;   // the file, or the two files it lies between
  Moment from = kNoMoment;
  Moment to = kNoMoment;
  std::uint64_t count = 0;  // calls, numbers or files concerned; 0 where it means nothing
};

// How the pass that reads every call of the decoded types is asked.
struct CallCheckOptions {
  std::int64_t quiet_minutes = 60;
  std::string temp_folder;  // for sorted runs when memory is short
  std::size_t memory_budget = std::size_t{128} << 20;
  std::function<bool()> stop_requested;  // polled between blocks; may be empty
};

// Reads every call of the series' EWSD, OCB-283, C-DOT and AXE files once and
// reports calls found more than once (within and across the files) and quiet
// stretches inside a file. Other types are passed over. False with `error`
// set when the pass could not finish (e.g. the temporary folder is full);
// a file that cannot be read is left to the caller's unreadable finding.
bool CheckCalls(const std::string& series, const std::vector<SeriesFile>& files,
                const CallCheckOptions& options, std::vector<Finding>& findings,
                std::string* error);

}  // namespace lomtra
