#include "engine/analysis_run.h"

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"
#include "platform/numbers.h"

namespace lomtra {
namespace {

using Detector = std::string (*)(const std::filesystem::path&, AnalyserContext&);

Detector DetectorFor(const std::string& switch_name) {
  if (switch_name == "OCB") return AnalyseOcb;
  if (switch_name == "EWSD") return AnalyseEwsd;
  if (switch_name == "CDOT") return AnalyseCdot;
  if (switch_name == "E10B") return AnalyseE10b;
  if (switch_name == "AXE") return AnalyseAxe;
  if (switch_name == "5ESS") return Analyse5ess;
  return nullptr;
}

// Splits a result text at its first two commas.
void WriteResult(const std::string& result, DataFileEntry& row) {
  const std::size_t a = result.find(',');
  const std::size_t b = a == std::string::npos ? std::string::npos : result.find(',', a + 1);
  row.start_time = result.substr(0, a);
  row.end_time = a == std::string::npos ? std::string() : result.substr(a + 1, b - a - 1);
  row.records = b == std::string::npos ? std::string("0") : result.substr(b + 1);
}

}  // namespace

std::string ValidFilesText(const AnalysisTotals& totals) {
  return std::to_string(totals.valid_files);
}

std::string ValidSizeText(const AnalysisTotals& totals) {
  return platform::ShortestDecimal(static_cast<double>(totals.bytes) / 1048576.0, 2) + " MB";
}

std::string RecordsText(const AnalysisTotals& totals) {
  return platform::ShortestDecimal(totals.records, 2);
}

AnalysisTotals SumTotals(const std::vector<DataFileEntry>& rows) {
  AnalysisTotals totals;
  for (const DataFileEntry& row : rows) {
    if (row.switch_name == "Unknown") continue;
    ++totals.valid_files;
    totals.records += ValueOf(row.records);
    totals.bytes += FileLength(row.binary_file).value_or(0);
  }
  return totals;
}

bool RunDetector(const std::string& switch_name, const std::string& path, AnalyserContext& context,
                 std::string* result) {
  const Detector detector = DetectorFor(switch_name);
  if (detector == nullptr) return false;
  *result = detector(path, context);
  return true;
}

AnalysisOutcome AnalyseFiles(std::vector<DataFileEntry>& rows, bool reanalyse_all,
                             AnalyserContext& context) {
  AnalysisOutcome outcome;
  EngineState& state = context.state;
  Host& host = context.host;
  if (state.analyser_running) return outcome;
  host.ResetSB();
  if (rows.empty()) return outcome;
  state.analyser_running = true;
  outcome.ran = true;
  try {
    // By index, over the rows there were at the start: the add-files dialog
    // may append rows while events are pumped, which would move the vector.
    const std::size_t count = rows.size();
    auto due = [&](std::size_t i) { return reanalyse_all || rows[i].start_time == kToBeAnalysed; };
    std::size_t due_count = 0;
    for (std::size_t i = 0; i < count; ++i) due_count += due(i) ? 1 : 0;
    std::size_t done = 0;
    for (std::size_t i = 0; i < count; ++i) {
      if (!due(i)) continue;
      host.RowStarted(i, ++done, due_count);
      {
        const std::string path = rows[i].binary_file;
        const std::string switch_name = rows[i].switch_name;
        host.SetStatusText("Analysing " + path);
        DataFile probe;
        std::string result;
        if (DetectorFor(switch_name) == nullptr) {
          rows[i].start_time = kInvalidFile;
          rows[i].end_time = kInvalidFile;
        } else if (!probe.OpenData(path)) {
          // Gone or unreadable since it was added: say so instead of
          // analysing zeros.
          host.ShowMessage({path + " cannot be read: " + probe.Error(), kProgramTitle,
                            MessageIcon::kError, MessageButtons::kOk});
          outcome.unreadable.push_back(path);
          rows[i].start_time = kInvalidFile;
          rows[i].end_time = kInvalidFile;
        } else {
          probe.Close();
          ForgetReadFailures();
          RunDetector(switch_name, path, context, &result);
          if (AnyReadFailed()) {
            host.ShowMessage({path + " cannot be read: the file could not be read to its end",
                              kProgramTitle, MessageIcon::kError, MessageButtons::kOk});
            outcome.unreadable.push_back(path);
            rows[i].start_time = kInvalidFile;
            rows[i].end_time = kInvalidFile;
            rows[i].records = "0";
          } else {
            WriteResult(result, rows[i]);
            ++outcome.analysed;
          }
        }
      }
      host.RowChanged(i);
      host.PumpEvents();
      if (state.stop_requested) {
        state.stop_requested = false;
        outcome.stopped = true;
        break;
      }
    }
  } catch (const std::exception& e) {
    host.ShowMessage({std::string("The analysis ended because of an error: ") + e.what(),
                      kProgramTitle, MessageIcon::kError, MessageButtons::kOk});
    outcome.stopped = true;
  }
  outcome.totals = SumTotals(rows);
  host.SetStatusText("");
  host.SetStatusPanel(StatusPanel::kValidFiles, ValidFilesText(outcome.totals));
  host.SetStatusPanel(StatusPanel::kValidSize, ValidSizeText(outcome.totals));
  host.SetStatusPanel(StatusPanel::kRecords, RecordsText(outcome.totals));
  host.SetResultsMark(outcome.totals.records > 0);
  state.analyser_running = false;
  host.ShowMessage(
      {"Data File Analysis Over", kProgramTitle, MessageIcon::kInformation, MessageButtons::kOk});
  return outcome;
}

}  // namespace lomtra
