#pragma once
// One row of the analyser's file list: its texts, where it stands in the
// analysis, and the image number (the switch code).
#include <string>
#include <string_view>

namespace lomtra {

// Where a row stands. Every state but kAnalysed is shown in both time
// columns as a fixed text, and only the spacing tells two of them apart, so
// a report read back gets its states from those texts.
enum class RowState {
  kToBeAnalysed,  // added, not analysed yet: "To be  Analysed"; a plain run takes only these
  kAnalysed,      // the time columns hold the detector's moments
  kStopped,       // the run was stopped in this file: "To be Analysed"
  kInvalidFile,   // its switch has no detector or its file could not be read: "Invalid  File"
};

// The time columns' text of a state; empty for kAnalysed.
std::string_view StateText(RowState state);

// The state whose text `text` is; kAnalysed for any other text (a moment).
RowState StateOfText(std::string_view text);

struct DataFileEntry {
  std::string no;
  std::string binary_file;
  std::string switch_name;
  RowState state = RowState::kToBeAnalysed;
  // The first and last call's moments as the detector wrote them; empty
  // outside kAnalysed.
  std::string start_time;
  std::string end_time;
  std::string records;
  std::string size;
  int image = 0;

  bool operator==(const DataFileEntry&) const = default;
};

// What the Start Time and End Time columns show.
std::string StartTimeText(const DataFileEntry& row);
std::string EndTimeText(const DataFileEntry& row);

// Sets the state and moments from the two time column texts of a report:
// a state when both texts are that state's, else the texts as moments, so
// that every row reads back as it was shown.
void SetTimeTexts(DataFileEntry& row, const std::string& start, const std::string& end);

}  // namespace lomtra
