#pragma once
// The report file (.lmt): a fixed-width text table of the list's rows, with
// CR LF line ends, written and read back.
#include <filesystem>
#include <string>
#include <vector>

#include "engine/clock.h"
#include "engine/data_file_entry.h"

namespace lomtra {

inline constexpr const char* kReportRule =
    "+-----+----------------------------------------------------+------------+---------------------"
    "--+-----------------------+------------+------------+";
inline constexpr const char* kReportHeader =
    "| No  |                  BINARY FILE                       |   SWITCH   |       START TIME    "
    "  |        END TIME       |   RECORDS  |    SIZE    |";

// "Lomtra Report" + dd-mm-yyyy + two blanks + the time of day (HH:MM:SS).
std::string ReportTitleLine(const ClockReading& now);

// One data line of a row (without the line end).
std::string ReportDataLine(const DataFileEntry& row);

// Every line of a report, without line ends.
std::vector<std::string> ReportLines(const std::vector<DataFileEntry>& rows,
                                     const ClockReading& now);

// The whole report text, each line ended by CR LF.
std::string ReportText(const std::vector<DataFileEntry>& rows, const ClockReading& now);

// Writes the report through a temporary file renamed over the target, so a
// failure leaves an existing file as it was. False with the reason in *error.
bool WriteReportFile(const std::filesystem::path& path, const std::vector<DataFileEntry>& rows,
                     const ClockReading& now, std::string* error);

// A chosen name ending in "lmt.lmt" ends in ".lmt" instead.
std::string NormaliseReportName(const std::string& name);

struct ReportReadResult {
  bool ok = false;
  std::string error;  // the message for the user when !ok
  std::vector<DataFileEntry> rows;
};

// Parses a report's text; `path` names it in messages. Rows keep the numbers
// read; each row's image comes from its switch text.
ReportReadResult ParseReport(const std::string& text, const std::string& path);
ReportReadResult ReadReportFile(const std::filesystem::path& path);

}  // namespace lomtra
