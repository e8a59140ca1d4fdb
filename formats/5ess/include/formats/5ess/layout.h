#pragma once
// The 5ESS billing file: text of 122-character records, one after another or
// with line feeds between them, each holding its call's date and time as
// decimal digits. Offsets are 0-based. Only the analyser reads the format.
#include <cstddef>
#include <string>

namespace formats::five_ess {

inline constexpr std::size_t kRecordSize = 122;
inline constexpr std::size_t kDateAt = 43;  // YYMMDD
inline constexpr std::size_t kDateWidth = 6;
inline constexpr std::size_t kTimeAt = 49;  // HHMMSS
inline constexpr std::size_t kTimeWidth = 6;
// Every record carries this character here.
inline constexpr std::size_t kMarkerAt = 74;
inline constexpr char kMarker = '7';

// What may stand between records (carriage returns are not skipped) and
// before the first one.
inline constexpr char kSeparator = '\n';
inline constexpr char kLeadingBlank = ' ';

// The file test: the marker in each of the first kTestedRecords records, read
// from offset 0 with no separators. `first` holds the file's first
// kIdentifyBytes characters (zeros past its end).
inline constexpr int kTestedRecords = 11;
inline constexpr std::size_t kIdentifyBytes = kMarkerAt + kRecordSize * (kTestedRecords - 1) + 1;
bool IsFiveEssFile(const char* first);

// A date or time field is read as a number; these write the number back as
// six digits (the last six of "00000" and its decimal text, so 51231 is
// 051231): "20YY-MM-DD" and "HH:MM:SS". Records hold the year within the
// century.
std::string DateText(double date);
std::string TimeText(double time);

}  // namespace formats::five_ess
