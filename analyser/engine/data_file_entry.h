#pragma once
// One row of the analyser's file list: the seven display texts and the
// image number (the switch code).
#include <string>

namespace lomtra {

// Status texts of the time columns; the spacing is part of the meaning.
inline constexpr const char* kToBeAnalysed = "To be  Analysed";  // added, not analysed yet
inline constexpr const char* kStopped = "To be Analysed";        // the run was stopped in this file
inline constexpr const char* kInvalidFile = "Invalid  File";     // the switch has no detector
// The result text of a stopped file.
inline constexpr const char* kStoppedResult = "To be Analysed,To be Analysed,0";

struct DataFileEntry {
  std::string no;
  std::string binary_file;
  std::string switch_name;
  std::string start_time;
  std::string end_time;
  std::string records;
  std::string size;
  int image = 0;

  bool operator==(const DataFileEntry&) const = default;
};

}  // namespace lomtra
