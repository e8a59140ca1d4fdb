#include "engine/analysis_run.h"

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"
#include "engine/switch_type.h"
#include "platform/numbers.h"

namespace lomtra {
namespace {

using Detector = DetectorResult (*)(const std::filesystem::path&, AnalyserContext&);

Detector DetectorFor(SwitchType type) {
  switch (type) {
    case SwitchType::kOcb:
      return AnalyseOcb;
    case SwitchType::kEwsd:
      return AnalyseEwsd;
    case SwitchType::kCdot:
      return AnalyseCdot;
    case SwitchType::kE10b:
      return AnalyseE10b;
    case SwitchType::kAxe:
      return AnalyseAxe;
    case SwitchType::kFiveEss:
      return Analyse5ess;
    case SwitchType::kNotReadable:
    case SwitchType::kCdot42:  // a name only: identification never gives it
    case SwitchType::kUnknown:
      break;
  }
  return nullptr;
}

// Not analysable: the moments go, the record count stays as it was.
void MarkInvalid(DataFileEntry& row) {
  row.state = RowState::kInvalidFile;
  row.start_time.clear();
  row.end_time.clear();
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
    if (SwitchTypeNamed(row.switch_name) == SwitchType::kUnknown) continue;
    ++totals.valid_files;
    totals.records += ValueOf(row.records);
    totals.bytes += FileLength(row.binary_file).value_or(0);
  }
  return totals;
}

std::optional<DetectorResult> RunDetector(SwitchType type, const std::string& path,
                                          AnalyserContext& context) {
  const Detector detector = DetectorFor(type);
  if (detector == nullptr) return std::nullopt;
  return detector(path, context);
}

void WriteResult(const DetectorResult& result, DataFileEntry& row) {
  row.state = result.state;
  const bool analysed = result.state == RowState::kAnalysed;
  row.start_time = analysed ? result.start : std::string();
  row.end_time = analysed ? result.end : std::string();
  row.records = std::to_string(result.count);
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
    auto due = [&](std::size_t i) {
      return reanalyse_all || rows[i].state == RowState::kToBeAnalysed;
    };
    std::size_t due_count = 0;
    for (std::size_t i = 0; i < count; ++i) due_count += due(i) ? 1 : 0;
    std::size_t done = 0;
    for (std::size_t i = 0; i < count; ++i) {
      if (!due(i)) continue;
      host.RowStarted(i, ++done, due_count);
      {
        const std::string path = rows[i].binary_file;
        const SwitchType type = SwitchTypeNamed(rows[i].switch_name);
        host.SetStatusText("Analysing " + path);
        DataFile probe;
        if (DetectorFor(type) == nullptr) {
          MarkInvalid(rows[i]);
        } else if (!probe.OpenData(path)) {
          // Gone or unreadable since it was added: say so instead of
          // analysing zeros.
          host.ShowMessage({path + " cannot be read: " + probe.Error(), kProgramTitle,
                            MessageIcon::kError, MessageButtons::kOk});
          outcome.unreadable.push_back(path);
          MarkInvalid(rows[i]);
        } else {
          probe.Close();
          ForgetReadFailures();
          const std::optional<DetectorResult> result = RunDetector(type, path, context);
          if (AnyReadFailed()) {
            host.ShowMessage({path + " cannot be read: the file could not be read to its end",
                              kProgramTitle, MessageIcon::kError, MessageButtons::kOk});
            outcome.unreadable.push_back(path);
            MarkInvalid(rows[i]);
            rows[i].records = std::string("0");  // = "0" trips a false GCC 12 -Wrestrict
          } else {
            WriteResult(*result, rows[i]);
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
