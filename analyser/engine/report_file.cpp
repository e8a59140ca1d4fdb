#include "engine/report_file.h"

#include <fstream>
#include <sstream>

#include "engine/decoders.h"
#include "engine/switch_type.h"
#include "platform/file_replacer.h"
#include "platform/numbers.h"
#include "platform/open_file.h"

namespace lomtra {
namespace {

std::string RightAligned(const std::string& text, std::size_t width) {
  const std::string padded = std::string(width, ' ') + text;
  return padded.substr(padded.size() - width);
}

// Letters, not bytes: names are UTF-8, and a cell padded by bytes would come
// out short by one blank for every letter written in two or more.
std::size_t Letters(const std::string& text) {
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

// A longer text is kept whole, widening its cell: a cut path could not be
// analysed again after the report is opened.
std::string LeftAligned(const std::string& text, std::size_t width) {
  const std::size_t letters = Letters(text);
  return letters >= width ? text : text + std::string(width - letters, ' ');
}

// P blanks each side, P = (21 - L) / 2 rounded half to even; a text longer
// than 21 gets no blanks rather than a negative number of them.
std::string Centred(const std::string& text) {
  const double half = (21.0 - static_cast<double>(text.size())) / 2.0;
  const std::int64_t p = std::max<std::int64_t>(platform::RoundHalfEvenToInt(half), 0);
  const std::string pad(static_cast<std::size_t>(p), ' ');
  return pad + text + pad;
}

std::string TrimSpaces(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> SplitBars(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = line.find('|', start);
    fields.push_back(
        line.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return fields;
}

}  // namespace

std::string ReportTitleLine(const ClockReading& now) {
  const std::string year = "000" + std::to_string(now.year);
  return "Lomtra Report" + TwoDigits(now.day) + "-" + TwoDigits(now.month) + "-" +
         year.substr(year.size() - 4) + "  " + TwoDigits(now.hour) + ":" + TwoDigits(now.minute) +
         ":" + TwoDigits(now.second);
}

std::string ReportDataLine(const DataFileEntry& row) {
  return "| " + RightAligned(row.no, 3) + " | " + LeftAligned(row.binary_file, 50) + " | " +
         RightAligned(row.switch_name, 10) + " | " + Centred(StartTimeText(row)) + " | " +
         Centred(EndTimeText(row)) + " | " + RightAligned(row.records, 10) + " | " +
         RightAligned(row.size, 10) + " | ";
}

std::vector<std::string> ReportLines(const std::vector<DataFileEntry>& rows,
                                     const ClockReading& now) {
  std::vector<std::string> lines = {ReportTitleLine(now), "", kReportRule, kReportHeader,
                                    kReportRule};
  for (const DataFileEntry& row : rows) lines.push_back(ReportDataLine(row));
  lines.push_back(kReportRule);
  return lines;
}

std::string ReportText(const std::vector<DataFileEntry>& rows, const ClockReading& now) {
  std::string text;
  for (const std::string& line : ReportLines(rows, now)) text += line + "\r\n";
  return text;
}

bool WriteReportFile(const std::filesystem::path& path, const std::vector<DataFileEntry>& rows,
                     const ClockReading& now, std::string* error) {
  // Replacing a listed data file with its own report would lose the data.
  for (const DataFileEntry& row : rows) {
    std::error_code same_error;
    if (std::filesystem::equivalent(path, platform::PathOf(row.binary_file), same_error)) {
      if (error) *error = path.string() + ": it is one of the data files in the list";
      return false;
    }
  }
  platform::FileReplacer replacer;
  if (!replacer.Begin(path)) {
    if (error) *error = replacer.Error();
    return false;
  }
  for (const std::string& line : ReportLines(rows, now)) {
    if (!replacer.Writer().WriteLine(line)) break;
  }
  if (!replacer.Commit()) {
    if (error) *error = replacer.Error();
    return false;
  }
  return true;
}

std::string NormaliseReportName(const std::string& name) {
  const std::string tail = "lmt.lmt";
  if (name.size() >= tail.size() &&
      name.compare(name.size() - tail.size(), tail.size(), tail) == 0) {
    return name.substr(0, name.size() - tail.size()) + ".lmt";
  }
  // A name without an extension gets ".lmt", or the Open dialog's filter
  // would hide the report ("june" -> "june.lmt"; ".june" has none either).
  const std::size_t slash = name.find_last_of("/\\");
  const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
  if (!file.empty() && file.find('.', 1) == std::string::npos) return name + ".lmt";
  return name;
}

ReportReadResult ParseReport(const std::string& text, const std::string& path) {
  ReportReadResult result;
  const std::vector<std::string> lines = SplitLines(text);
  if (lines.empty() || lines[0].rfind("Lomtra", 0) != 0) {
    result.error = path + " is not a Lomtra Report File.  Please Check";
    return result;
  }
  if (lines.size() < 6) {
    result.error = path + " is not a complete Lomtra Report File: it has fewer than six lines.";
    return result;
  }
  for (std::size_t i = 5; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    // Rule lines may stand anywhere; an empty line holds no row.
    if (line.empty() || line[0] == '+') continue;
    const std::vector<std::string> fields = SplitBars(line);
    if (fields.size() < 8) {
      result.error = path + ": line " + std::to_string(i + 1) +
                     " is not a complete report line (it has fewer than eight fields).";
      result.rows.clear();
      return result;
    }
    // A path may hold "|" itself: the No is the first cell, the other five
    // cells are counted from the end, and the path is all that lies between.
    // `end` is the field after the Size cell (eight fields: a line without
    // its closing bar).
    const std::size_t end = fields.size() == 8 ? 8 : fields.size() - 1;
    std::string path = fields[2];
    for (std::size_t f = 3; f + 5 < end; ++f) path += "|" + fields[f];
    DataFileEntry row;
    row.no = TrimSpaces(fields[1]);
    row.binary_file = TrimSpaces(path);
    row.switch_name = TrimSpaces(fields[end - 5]);
    SetTimeTexts(row, TrimSpaces(fields[end - 4]), TrimSpaces(fields[end - 3]));
    row.records = TrimSpaces(fields[end - 2]);
    row.size = TrimSpaces(fields[end - 1]);
    row.image = SwitchIconIndex(row.switch_name);
    result.rows.push_back(row);
  }
  result.ok = true;
  return result;
}

ReportReadResult ReadReportFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ReportReadResult result;
    result.error = path.string() + " cannot be opened.";
    return result;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ParseReport(text.str(), path.string());
}

}  // namespace lomtra
