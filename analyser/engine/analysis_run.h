#pragma once
// The analysis run over the file list: every due row goes to the detector of
// its switch, and the totals end up in the status bar.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/data_file_entry.h"
#include "engine/detectors.h"
#include "engine/engine_state.h"
#include "engine/switch_type.h"

namespace lomtra {

struct AnalysisTotals {
  std::uint64_t valid_files = 0;
  double records = 0;
  std::uint64_t bytes = 0;
};

struct AnalysisOutcome {
  bool ran = false;                     // false: a run was going on already, or the list was empty
  bool stopped = false;                 // the user stopped the run
  std::size_t analysed = 0;             // rows handed to a detector
  std::vector<std::string> unreadable;  // rows whose file could not be opened or read
  AnalysisTotals totals;
};

// The status-bar texts of the totals ("1.5 MB" and so on).
std::string ValidFilesText(const AnalysisTotals& totals);
std::string ValidSizeText(const AnalysisTotals& totals);
std::string RecordsText(const AnalysisTotals& totals);

// Sums the totals over every row whose switch is not "Unknown"; a file that
// has disappeared adds no bytes.
AnalysisTotals SumTotals(const std::vector<DataFileEntry>& rows);

// Analyses the rows still to be analysed, or all rows when
// `reanalyse_all`, writing the results into them. With more than one worker
// the files are read on that many threads, while the host sees the rows
// come in order exactly as with one: their messages, results and stop.
AnalysisOutcome AnalyseFiles(std::vector<DataFileEntry>& rows, bool reanalyse_all,
                             AnalyserContext& context, unsigned workers = 1);

// The result of the detector of a switch; nothing when the switch has no
// detector.
std::optional<DetectorResult> RunDetector(SwitchType type, const std::string& path,
                                          AnalyserContext& context);

// Writes a detector's result into its row: state, moments and count.
void WriteResult(const DetectorResult& result, DataFileEntry& row);

}  // namespace lomtra
