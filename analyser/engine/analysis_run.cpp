#include "engine/analysis_run.h"

#include <optional>
#include <utility>

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"
#include "engine/switch_type.h"
#include "platform/numbers.h"
#include "platform/open_file.h"
#include "platform/parallel.h"

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
    totals.bytes += FileLength(platform::PathOf(row.binary_file)).value_or(0);
  }
  return totals;
}

std::optional<DetectorResult> RunDetector(SwitchType type, const std::string& path,
                                          AnalyserContext& context) {
  const Detector detector = DetectorFor(type);
  if (detector == nullptr) return std::nullopt;
  return detector(platform::PathOf(path), context);
}

void WriteResult(const DetectorResult& result, DataFileEntry& row) {
  row.state = result.state;
  const bool analysed = result.state == RowState::kAnalysed;
  row.start_time = analysed ? result.start : std::string();
  row.end_time = analysed ? result.end : std::string();
  row.records = std::to_string(result.count);
}

namespace {

// What analysing one row came to, before it is written into the row.
struct RowWork {
  enum class Kind { kNoDetector, kUnopened, kUnreadable, kAnalysed };
  Kind kind = Kind::kNoDetector;
  std::string error;      // kUnopened: why the file could not be opened
  DetectorResult result;  // kAnalysed
};

// Reads a row's file with the detector of its switch, which talks to
// context.host; the run's own messages about the row come in WriteRow.
RowWork AnalyseRow(const std::string& path, SwitchType type, AnalyserContext& context) {
  RowWork work;
  if (DetectorFor(type) == nullptr) return work;
  DataFile probe;
  if (!probe.OpenData(platform::PathOf(path))) {
    work.kind = RowWork::Kind::kUnopened;
    work.error = probe.Error();
    return work;
  }
  probe.Close();
  // The flag is the thread's own, so a worker's failures stay with its row.
  ForgetReadFailures();
  work.result = *RunDetector(type, path, context);
  work.kind = AnyReadFailed() ? RowWork::Kind::kUnreadable : RowWork::Kind::kAnalysed;
  return work;
}

// Writes what row i came to, with the run's messages about it. The row is
// looked up again after each message: a window lets rows be added meanwhile.
void WriteRow(const RowWork& work, const std::string& path, std::vector<DataFileEntry>& rows,
              std::size_t i, Host& host, AnalysisOutcome& outcome) {
  switch (work.kind) {
    case RowWork::Kind::kNoDetector:
      MarkInvalid(rows[i]);
      break;
    case RowWork::Kind::kUnopened:
      // Gone or unreadable since it was added: say so instead of analysing
      // zeros.
      host.ShowMessage({path + " cannot be read: " + work.error, kProgramTitle, MessageIcon::kError,
                        MessageButtons::kOk});
      outcome.unreadable.push_back(path);
      MarkInvalid(rows[i]);
      break;
    case RowWork::Kind::kUnreadable:
      host.ShowMessage({path + " cannot be read: the file could not be read to its end",
                        kProgramTitle, MessageIcon::kError, MessageButtons::kOk});
      outcome.unreadable.push_back(path);
      MarkInvalid(rows[i]);
      rows[i].records = std::string("0");  // = "0" trips a false GCC 12 -Wrestrict
      break;
    case RowWork::Kind::kAnalysed:
      WriteResult(work.result, rows[i]);
      ++outcome.analysed;
      break;
  }
}

// A message a detector gave on a worker, and the progress shown by then.
struct HeldMessage {
  Message message;
  std::optional<int> progress;
};

// The host of a row analysed on a worker: nothing reaches the user from
// there. Messages are held until the row's turn comes; anything that cannot
// wait for it (a question, a status text) has the row analysed again in its
// turn, with the run's host.
class WorkerHost : public Host {
 public:
  WorkerHost(int maximum, const platform::RunEnded& ended, EngineState& state)
      : maximum_(maximum), ended_(ended), state_(state) {}

  MessageAnswer ShowMessage(const Message& message) override {
    if (message.buttons != MessageButtons::kOk) {
      needs_host = true;
      return MessageAnswer::kNo;
    }
    messages.push_back({message, progress});
    return MessageAnswer::kOk;
  }
  int ProgressValue() const override { return progress.value_or(0); }
  int ProgressMaximum() const override { return maximum_; }
  void SetProgress(int value) override { progress = value; }
  void SetStatusPanel(StatusPanel /*panel*/, const std::string& /*text*/) override {
    needs_host = true;
  }
  void SetMessageFile(const std::string& /*path*/, const std::string& /*reason*/) override {
    needs_host = true;
  }
  // A detector that looks for Stop here would ask about it inside the file.
  // When the run has ended it is stopped, so that the run need not wait for
  // the rest of a file whose row is dropped.
  void PumpEvents() override {
    pumped = true;
    if (ended_.load()) state_.stop_requested = true;
  }
  bool AskStop() override {
    needs_host = true;
    return true;
  }

  std::vector<HeldMessage> messages;
  std::optional<int> progress;  // the latest progress, once one was set
  bool pumped = false;
  bool needs_host = false;

 private:
  int maximum_;
  const platform::RunEnded& ended_;
  EngineState& state_;
};

// A row as a worker made it.
struct MadeRow {
  bool made = false;  // false: the row is analysed in its turn, on the calling thread
  RowWork work;
  std::vector<HeldMessage> messages;
  std::optional<int> progress;
  bool pumped = false;
  OcbMemory ocb;  // the memory the row left, from the guess below
  EwsdMemory ewsd;
};

// What a worker takes for the memory of the files before its row: a fresh
// run's, marked as a guess, so that a detector notes where it relied on it.
EngineState GuessedState() {
  EngineState state;
  state.analyser_running = true;
  state.ocb.guessed = true;
  state.ewsd.unknown = kEwsdEverything;
  return state;
}

bool IsFresh(const OcbMemory& memory) {
  const OcbMemory fresh;
  return memory.header_offset == fresh.header_offset && memory.stride == fresh.stride;
}

bool IsFresh(const EwsdMemory& memory) {
  const EwsdSlots& slots = memory.slot_values;
  return slots.date.empty() && slots.time.empty() && slots.calling.empty() &&
         slots.called.empty() && memory.record.empty() && memory.length == 0;
}

// Whether a row made from the guessed memory holds for the true memory of
// the files before it; if so, that memory moves on past the row exactly as
// the row's detector would have moved it.
bool TakeMemory(SwitchType type, MadeRow& made, EngineState& state) {
  const bool detector_ran =
      made.work.kind == RowWork::Kind::kAnalysed || made.work.kind == RowWork::Kind::kUnreadable;
  if (!detector_ran) return true;
  if (type == SwitchType::kOcb) {
    // A file that found its own layout does not depend on the one before.
    if (made.ocb.guessed) return IsFresh(state.ocb);
    state.ocb = made.ocb;
    return true;
  }
  if (type != SwitchType::kEwsd) return true;
  EwsdMemory& ewsd = made.ewsd;
  if (ewsd.read_unknown) {
    // Made from the guess, which was the true memory only if that is fresh.
    if (!IsFresh(state.ewsd)) return false;
    ewsd.unknown = 0;
    ewsd.read_unknown = false;
    state.ewsd = std::move(ewsd);
    return true;
  }
  // The parts the file set are its own; the rest carries on as it was.
  EwsdMemory& memory = state.ewsd;
  if ((ewsd.unknown & kEwsdDateTime) == 0) {
    memory.slot_values.date = std::move(ewsd.slot_values.date);
    memory.slot_values.time = std::move(ewsd.slot_values.time);
  }
  if ((ewsd.unknown & kEwsdCalling) == 0)
    memory.slot_values.calling = std::move(ewsd.slot_values.calling);
  if ((ewsd.unknown & kEwsdCalled) == 0)
    memory.slot_values.called = std::move(ewsd.slot_values.called);
  if ((ewsd.unknown & kEwsdRecord) == 0) {
    memory.record = std::move(ewsd.record);
    memory.length = ewsd.length;
  }
  return true;
}

// A due row, as it was when the run began.
struct DueRow {
  std::size_t row = 0;
  std::string path;
  SwitchType type = SwitchType::kUnknown;
};

}  // namespace

AnalysisOutcome AnalyseFiles(std::vector<DataFileEntry>& rows, bool reanalyse_all,
                             AnalyserContext& context, unsigned workers) {
  AnalysisOutcome outcome;
  EngineState& state = context.state;
  Host& host = context.host;
  if (state.analyser_running) return outcome;
  host.ResetSB();
  if (rows.empty()) return outcome;
  state.analyser_running = true;
  outcome.ran = true;
  try {
    // Taken now, over the rows there are at the start: the add-files dialog
    // may append rows while events are pumped, which would move the vector.
    std::vector<DueRow> due;
    std::size_t with_detector = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (!reanalyse_all && rows[i].state != RowState::kToBeAnalysed) continue;
      due.push_back({i, rows[i].binary_file, SwitchTypeNamed(rows[i].switch_name)});
      if (DetectorFor(due.back().type) != nullptr) ++with_detector;
    }
    // Rows that read nothing are not worth a thread.
    const bool parallel = workers > 1 && with_detector > 1;
    const int maximum = host.ProgressMaximum();
    auto make = [&](std::size_t k, const platform::RunEnded& ended) {
      MadeRow made;
      if (!parallel) return made;
      try {
        EngineState guess = GuessedState();
        WorkerHost worker(maximum, ended, guess);
        AnalyserContext worker_context{worker, context.clock, guess};
        made.work = AnalyseRow(due[k].path, due[k].type, worker_context);
        made.messages = std::move(worker.messages);
        made.progress = worker.progress;
        made.pumped = worker.pumped;
        made.ocb = guess.ocb;
        made.ewsd = std::move(guess.ewsd);
        made.made = !worker.needs_host;
      } catch (...) {
        // Analysed again in its turn, where the error is told as always.
        made = MadeRow{};
      }
      return made;
    };
    auto take = [&](std::size_t k, MadeRow& made) {
      const DueRow& row = due[k];
      host.RowStarted(row.row, k + 1, due.size());
      host.SetStatusText("Analysing " + row.path);
      bool again = !made.made;
      if (!again && made.pumped) {
        // The detector looks for Stop inside this file: a Stop given by now
        // is asked about there, as with one worker.
        host.PumpEvents();
        again = state.stop_requested;
      }
      if (!again) again = !TakeMemory(row.type, made, state);
      RowWork work;
      if (again) {
        work = AnalyseRow(row.path, row.type, context);
      } else {
        for (const HeldMessage& held : made.messages) {
          if (held.progress) host.SetProgress(*held.progress);
          host.ShowMessage(held.message);
        }
        if (made.progress) host.SetProgress(*made.progress);
        work = std::move(made.work);
      }
      WriteRow(work, row.path, rows, row.row, host, outcome);
      host.RowChanged(row.row);
      host.PumpEvents();
      if (state.stop_requested) {
        state.stop_requested = false;
        outcome.stopped = true;
        return false;
      }
      return true;
    };
    platform::RunInOrder<MadeRow>(due.size(), parallel ? workers : 1, 2 * std::size_t{workers},
                                  make, take, [&] { host.PumpEvents(); });
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
