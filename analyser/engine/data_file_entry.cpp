#include "engine/data_file_entry.h"

namespace lomtra {
namespace {

std::string TimeText(const DataFileEntry& row, const std::string& moment) {
  return row.state == RowState::kAnalysed ? moment : std::string(StateText(row.state));
}

}  // namespace

std::string_view StateText(RowState state) {
  switch (state) {
    case RowState::kToBeAnalysed:
      return "To be  Analysed";
    case RowState::kStopped:
      return "To be Analysed";
    case RowState::kInvalidFile:
      return "Invalid  File";
    case RowState::kAnalysed:
      break;
  }
  return {};
}

RowState StateOfText(std::string_view text) {
  for (const RowState state :
       {RowState::kToBeAnalysed, RowState::kStopped, RowState::kInvalidFile}) {
    if (text == StateText(state)) return state;
  }
  return RowState::kAnalysed;
}

std::string StartTimeText(const DataFileEntry& row) {
  return TimeText(row, row.start_time);
}

std::string EndTimeText(const DataFileEntry& row) {
  return TimeText(row, row.end_time);
}

void SetTimeTexts(DataFileEntry& row, const std::string& start, const std::string& end) {
  const RowState state = StateOfText(start);
  if (state != RowState::kAnalysed && end == StateText(state)) {
    row.state = state;
    row.start_time.clear();
    row.end_time.clear();
  } else {
    row.state = RowState::kAnalysed;
    row.start_time = start;
    row.end_time = end;
  }
}

}  // namespace lomtra
