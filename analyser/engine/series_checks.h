#pragma once
// The checks of `lomtra check`: the given files are identified and analysed
// as `lomtra analyse` does, grouped into series (one folder, one exchange
// type), and each series is checked for missing, repeated and damaged data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_state.h"
#include "engine/findings.h"
#include "engine/moments.h"

namespace lomtra {

// "Gap", "Overlap", ...: the first column of the findings table.
std::string_view FindingName(FindingKind kind);

// Whether a finding means data missing or billed twice (the check then
// fails), rather than something the clerk may want to look at.
bool MeansMissingOrDuplicated(FindingKind kind);

struct SeriesCheckOptions {
  std::int64_t gap_minutes = 60;
  std::string temp_folder;  // for the pass over the calls; empty: the system's
  unsigned workers = 1;     // threads reading the files while they are analysed
};

struct SeriesCheckOutcome {
  std::size_t files = 0;          // files put into a series
  std::size_t series = 0;         // series checked
  std::size_t passed_over = 0;    // files of no known type
  bool stopped = false;           // the user stopped the run
  std::string error;              // set when the run could not finish
  std::vector<Finding> findings;  // by series, then by moment
};

// Checks the files at `paths` (files, not folders; each readable when given).
SeriesCheckOutcome CheckSeries(const std::vector<std::string>& paths,
                               const SeriesCheckOptions& options, AnalyserContext& context);

}  // namespace lomtra
