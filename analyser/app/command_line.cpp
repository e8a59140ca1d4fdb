#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

#include "app/batch_host.h"
#include "app/list_export.h"
#include "app/spreadsheet_export.h"
#include "engine/analysis_run.h"
#include "engine/clock.h"
#include "engine/file_list.h"
#include "engine/identify.h"
#include "engine/report_file.h"
#include "engine/series_checks.h"
#include "platform/binary_reader.h"
#include "platform/command_line.h"
#include "platform/file_replacer.h"
#include "platform/interrupt.h"
#include "platform/open_file.h"
#include "platform/parallel.h"
#include "platform/table_writer.h"

namespace lomtra {
namespace {

// The options of analyse, which the program's own usage lists too.
#define ANALYSE_OPTIONS                                                              \
  "options:\n"                                                                       \
  "  --report FILE      write the report to FILE instead of standard output\n"       \
  "  --xlsx FILE        also write the list as a spreadsheet workbook\n"             \
  "  --csv FILE         also write the list as CSV rows with a header (- for\n"      \
  "                     standard output)\n"                                          \
  "  --jsonl FILE       also write the list as JSON Lines (- for standard output)\n" \
  "  --sqlite DB        also write the list into the files table of the SQLite\n"    \
  "                     database DB (made when missing), one row per file path\n"    \
  "  --quiet            print nothing but errors\n"                                  \
  "  --stop-on-error    answer No to questions (an existing report is then kept)\n"  \
  "  -j N               read N files at a time (default: one per core); the\n"       \
  "                     results are the same whatever N is\n"                        \
  "  --clock \"YYYY-MM-DD HH:MM:SS\"\n"                                              \
  "                     for testing: use this date and time instead of the\n"        \
  "                     computer's clock (report title, year of E10B calls)\n"       \
  "exit status: 0 every file processed, 1 a file was skipped or the run\n"           \
  "stopped, 2 usage error or a failure that ended the run.\n"

constexpr const char* kUsage =
    "usage: lomtra                        open the window\n"
    "       lomtra identify PATH...       print each file's switch and path\n"
    "       lomtra PATH...                open the window with these files in the list\n"
    "       lomtra analyse [--report FILE.lmt] [--xlsx FILE.xlsx] [--csv FILE.csv]\n"
    "                      [--jsonl FILE.jsonl] [--sqlite DB] [-j N] PATH...\n"
    "                                     analyse the files and write the report\n"
    "                                     (to FILE, or to standard output)\n"
    "       lomtra check [--gap MINUTES] [--csv FILE.csv] [-j N] PATH...\n"
    "                                     look for missing, repeated and damaged\n"
    "                                     data in each series of files\n"
    "       lomtra --help | --version | COMMAND --help\n"
    "A folder given as PATH stands for the files in it, in name order.\n" ANALYSE_OPTIONS;

constexpr const char* kIdentifyUsage =
    "usage: lomtra identify [--quiet] PATH...\n"
    "Prints the switch type of each file (OCB, CDOT, E10B, AXE, 5ESS, EWSD,\n"
    "CDOT42 or Unknown), a tab and its path, one file a line. A folder given\n"
    "as PATH stands for the files in it, in name order.\n"
    "exit status: 0 every file read, 1 a file could not be read, 2 usage error.\n";

constexpr const char* kAnalyseUsage =
    "usage: lomtra analyse [--report FILE.lmt] [--xlsx FILE.xlsx] [--csv FILE.csv]\n"
    "                      [--jsonl FILE.jsonl] [--sqlite DB] [--quiet]\n"
    "                      [--stop-on-error] [--clock \"YYYY-MM-DD HH:MM:SS\"] [-j N]\n"
    "                      PATH...\n"
    "Analyses the files (first and last call, records) and writes the report to\n"
    "standard output or FILE.lmt. A folder given as PATH stands for the files in\n"
    "it, in name order. Outputs are written under a temporary name beside their\n"
    "target and replace it only when complete.\n" ANALYSE_OPTIONS;

constexpr const char* kCheckUsage =
    "usage: lomtra check [--gap MINUTES] [--csv FILE.csv] [--quiet]\n"
    "                    [--clock \"YYYY-MM-DD HH:MM:SS\"] [-j N] PATH...\n"
    "Identifies and analyses the files as analyse does, takes the files of one\n"
    "folder and one switch type as a series, and prints what is missing,\n"
    "repeated or damaged: gaps between files longer than MINUTES (60 without\n"
    "--gap), overlaps, breaks in the numbering of OCB blocks and E10B records,\n"
    "duplicate files and calls, long quiet stretches inside a file, files not\n"
    "read to their end and OCB files with stale data behind their current data.\n"
    "A folder given as PATH stands for the files in it, in name order (not the\n"
    "folders inside it).\n"
    "options:\n"
    "  --gap MINUTES      the longest stretch without a call that is no gap\n"
    "  --csv FILE         also write the findings as CSV rows with a header\n"
    "  --quiet            print nothing but errors on standard error\n"
    "  -j N               read N files at a time (default: one per core)\n"
    "  --clock \"YYYY-MM-DD HH:MM:SS\"\n"
    "                     for testing: use this date and time instead of the\n"
    "                     computer's clock (year of E10B calls)\n"
    "exit status: 0 every series whole, 1 something missing, duplicated or\n"
    "unreadable (overlaps, quiet stretches and stale data alone do not count),\n"
    "or the run stopped, 2 usage error, a PATH that cannot be read, or a failure\n"
    "that ended the run.\n";

bool IsCommand(const std::string& word) {
  return word == "identify" || word == "analyse" || word == "check";
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::exists(platform::PathOf(path), ec);
}

struct Options {
  std::string command;
  std::vector<std::string> paths;
  std::optional<std::string> report;
  std::optional<std::string> xlsx;
  std::optional<std::string> csv;
  std::optional<std::string> jsonl;
  std::optional<std::string> sqlite;
  bool quiet = false;
  bool stop_on_error = false;
  std::optional<ClockReading> clock;
  bool help = false;  // the command's help asked for
  std::int64_t gap_minutes = 60;
  unsigned workers = platform::DefaultWorkers();
};

std::optional<ClockReading> ParseClock(const std::string& text) {
  ClockReading r;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &r.year, &r.month, &r.day, &r.hour,
                  &r.minute, &r.second, &tail) != 6) {
    return std::nullopt;
  }
  if (r.month < 1 || r.month > 12 || r.day < 1 || r.day > 31 || r.hour < 0 || r.hour > 23 ||
      r.minute < 0 || r.minute > 59 || r.second < 0 || r.second > 59) {
    return std::nullopt;
  }
  return r;
}

// Fills `options`; on a usage error returns the reason. A word with one dash
// is a path, -j aside: only "--" words are options.
std::string ParseOptions(const std::vector<std::string>& args, Options& options) {
  options.command = args[0];
  platform::CommandOptions reader(platform::CommandOptions::HelpRule::kAnywhere,
                                  platform::CommandOptions::OptionWords::kDoubleDashed);
  auto output = [&](const std::string& option, const std::string& value) {
    if (options.command == "check" && option == "--csv") {
      options.csv = value;
      return std::string();
    }
    if (options.command != "analyse") return option + " belongs to analyse";
    if (option == "--report") options.report = value;
    if (option == "--xlsx") options.xlsx = value;
    if (option == "--csv") options.csv = value;
    if (option == "--jsonl") options.jsonl = value;
    if (option == "--sqlite") options.sqlite = value;
    return std::string();
  };
  for (const char* option : {"--report", "--xlsx", "--csv", "--jsonl", "--sqlite"})
    reader.Value({option}, output);
  reader.Value({"--clock"}, [&](const std::string&, const std::string& value) {
    options.clock = ParseClock(value);
    if (!options.clock) return "--clock needs \"YYYY-MM-DD HH:MM:SS\", not \"" + value + "\"";
    return std::string();
  });
  reader.Value({"--gap"}, [&](const std::string& option, const std::string& value) {
    if (options.command != "check") return option + " belongs to check";
    const bool digits = !value.empty() && value.size() <= 9 &&
                        value.find_first_not_of("0123456789") == std::string::npos;
    if (!digits) return "--gap needs a whole number of minutes, not \"" + value + "\"";
    options.gap_minutes = std::stoll(value);
    return std::string();
  });
  reader.Value({"-j"}, [&](const std::string& option, const std::string& value) {
    if (options.command == "identify") return option + " belongs to analyse and check";
    return platform::ReadWorkers(value, &options.workers);
  });
  reader.Flag({"--quiet"}, &options.quiet);
  reader.Flag({"--stop-on-error"}, &options.stop_on_error);
  const auto reading = reader.Read(args);
  if (!reading.error.empty()) return reading.error;
  options.help = reading.help;
  if (options.help) return {};
  options.paths = reading.positional;
  if (options.paths.empty()) return options.command + " needs at least one PATH";
  if (options.sqlite && *options.sqlite == "-") return "--sqlite needs a database file, not -";
  if (options.command == "check") {
    if (options.csv && *options.csv == "-")
      return "--csv needs a file: the findings go to standard output";
    return {};
  }
  // The report goes to standard output unless --report names a file.
  const int to_standard_output = (!options.report || *options.report == "-" ? 1 : 0) +
                                 (options.csv && *options.csv == "-" ? 1 : 0) +
                                 (options.jsonl && *options.jsonl == "-" ? 1 : 0);
  if (to_standard_output > 1)
    return "only one output can go to standard output (the report goes there without --report)";
  return {};
}

// ExpandPaths, with the folders that cannot be listed reported.
std::vector<std::string> ExpandedFiles(const std::vector<std::string>& paths, BatchHost& host) {
  std::vector<std::string> errors;
  std::vector<std::string> files = lomtra::ExpandPaths(paths, &errors);
  for (const std::string& error : errors) host.Error("lomtra: " + error);
  return files;
}

// An output that cannot be created is found before the files are read, not
// after a long run: the temporary file beside it is made and removed again.
bool CheckOutput(const std::string& target, const char* what, BatchHost& host) {
  platform::FileReplacer probe;
  if (probe.Begin(platform::PathOf(target))) return true;
  host.Error(std::string("lomtra: the ") + what + " was not written: " + probe.Error());
  return false;
}

int Identify(const Options& options, std::ostream& out, BatchHost& host) {
  for (const std::string& path : ExpandedFiles(options.paths, host)) {
    std::string error;
    const SwitchType type = IdentifySwitch(platform::PathOf(path), &error);
    if (type == SwitchType::kNotReadable) {
      host.Error("lomtra: cannot read " + path + ": " + error);
      continue;
    }
    out << SwitchName(type) << '\t' << path << '\n';
  }
  out.flush();
  return host.ErrorCount() > 0 ? 1 : 0;
}

int Analyse(const Options& options, std::ostream& out, BatchHost& host, const Clock& clock) {
  if (options.report && !CheckOutput(*options.report, "report", host)) return 2;
  if (options.xlsx && !CheckOutput(*options.xlsx, "workbook", host)) return 2;
  if (options.csv && !CheckOutput(*options.csv, "csv list", host)) return 2;
  if (options.jsonl && !CheckOutput(*options.jsonl, "jsonl list", host)) return 2;
  if (options.sqlite) {
    std::string error;
    if (!CheckListDatabase(platform::PathOf(*options.sqlite), &error)) {
      host.Error("lomtra: the database was not written: " + error);
      return 2;
    }
  }
  const std::vector<std::string> files = ExpandedFiles(options.paths, host);
  std::vector<DataFileEntry> rows;
  const AddFilesOutcome added = AddFiles(rows, files, host);
  for (const std::string& failure : added.unreadable) host.Error("lomtra: cannot read " + failure);
  bool skipped = !added.duplicates.empty() || host.ErrorCount() > 0;
  // Every path given was unreadable (a drive not mounted, a mistyped name):
  // an empty report or list would replace a good one with nothing.
  const bool nothing_read = rows.empty() && host.ErrorCount() > 0;
  const auto not_written = [&host](const std::string& target) {
    host.Error("lomtra: no file could be read, so " + target + " was not written");
  };

  EngineState state;
  host.WatchInterrupt(&state);
  AnalyserContext context{host, clock, state};
  const AnalysisOutcome outcome = AnalyseFiles(rows, false, context, options.workers);
  if (outcome.stopped && platform::InterruptRequested()) {
    // The rows not reached keep their "To be  Analysed"; report and workbook
    // still show what was found.
    host.Error("lomtra: stopped by the user; " + std::to_string(outcome.analysed) + " of " +
               std::to_string(rows.size()) + " files analysed");
  }
  if (options.xlsx && rows.empty()) {
    host.Error("lomtra: Nothing to Save: no file is in the list, so " + *options.xlsx +
               " was not written");
    skipped = true;
  } else if (options.xlsx) {
    // The totals row holds what the window's status bar would show.
    const AnalysisTotals totals = outcome.ran ? outcome.totals : AnalysisTotals{};
    const SpreadsheetTotals texts{ValidFilesText(totals), ValidSizeText(totals),
                                  RecordsText(totals)};
    std::string error;
    if (!WriteWorkbookFile(platform::PathOf(*options.xlsx), rows, texts, &error)) {
      host.Error("lomtra: the workbook was not written: " + error);
      return 2;
    }
    host.Note("Workbook " + *options.xlsx + " Saved");
  }
  const std::pair<const std::optional<std::string>*, platform::OutputFormat> exports[] = {
      {&options.csv, platform::OutputFormat::kCsv},
      {&options.jsonl, platform::OutputFormat::kJsonl},
      {&options.sqlite, platform::OutputFormat::kSqlite}};
  for (const auto& [target, format] : exports) {
    if (!*target) continue;
    if (nothing_read) {
      not_written(**target);
      continue;
    }
    std::string error;
    if (!ExportList(platform::PathOf(**target), format, rows, &error)) {
      host.Error(std::string("lomtra: the ") +
                 (format == platform::OutputFormat::kSqlite
                      ? "database"
                      : std::string(platform::OutputFormatName(format)) + " list") +
                 " was not written: " + error);
      return 2;
    }
    host.Note(ExportedText(**target, format, rows.size()));
  }
  // An error met inside a file (an unsupported EWSD package) leaves that
  // file only partly analysed.
  if (outcome.stopped || host.ErrorCount() > 0) skipped = true;
  if (!outcome.ran) {
    // An empty list: no run, but the totals still say so.
    host.Note("Total Valid Data Files: 0");
    host.Note("Total Valid Data File Size: 0 MB");
    host.Note("Total Records: 0");
  }

  const ClockReading now = clock.Now();
  if (!options.report) {
    const std::string text = ReportText(rows, now);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
      host.Error("lomtra: the report could not be written to standard output");
      return 2;
    }
    return skipped ? 1 : 0;
  }
  const std::string& target = *options.report;
  if (nothing_read) {
    not_written(target);
    return 1;
  }
  std::error_code ec;
  if (std::filesystem::exists(platform::PathOf(target), ec)) {
    const MessageAnswer answer =
        host.ShowMessage({"File Exists. Do you want to OverWrite?", kProgramTitle,
                          MessageIcon::kQuestion, MessageButtons::kYesNo});
    if (answer == MessageAnswer::kNo) {
      host.Note("lomtra: " + target + " was kept; no report written");
      return 1;
    }
  }
  std::string error;
  if (!WriteReportFile(platform::PathOf(target), rows, now, &error)) {
    host.Error("lomtra: the report was not written: " + error);
    return 2;
  }
  host.Note("File " + target + " Saved");
  return skipped ? 1 : 0;
}

// The findings table: one row a finding, the same cells on the terminal
// and in the CSV file.
constexpr std::size_t kFindingColumns = 6;
using FindingRow = std::array<std::string, kFindingColumns>;
constexpr std::array<const char*, kFindingColumns> kFindingCaptions = {
    "What", "Series", "Where", "From", "To", "How many"};

FindingRow RowOf(const Finding& finding) {
  return {std::string(FindingName(finding.kind)),
          finding.series,
          finding.where,
          MomentClockText(finding.from),
          MomentClockText(finding.to),
          finding.count > 0 ? std::to_string(finding.count) : std::string()};
}

// Columns padded to their widest cell, two blanks apart; the counts to the
// right; no blanks at a line's end.
std::string FindingsTable(const std::vector<FindingRow>& rows) {
  std::array<std::size_t, kFindingColumns> width{};
  for (std::size_t c = 0; c < kFindingColumns; ++c) width[c] = std::strlen(kFindingCaptions[c]);
  for (const FindingRow& row : rows)
    for (std::size_t c = 0; c < kFindingColumns; ++c) width[c] = std::max(width[c], row[c].size());
  std::string text;
  auto line = [&](const auto& cells) {
    for (std::size_t c = 0; c + 1 < kFindingColumns; ++c) {
      const std::string cell = cells[c];
      text += cell + std::string(width[c] - cell.size() + 2, ' ');
    }
    const std::string count = cells[kFindingColumns - 1];
    text += std::string(width[kFindingColumns - 1] - count.size(), ' ') + count;
    text.erase(text.find_last_not_of(' ') + 1);
    text += '\n';
  };
  line(kFindingCaptions);
  for (const FindingRow& row : rows) line(row);
  return text;
}

bool WriteFindingsCsv(const std::string& target, const std::vector<FindingRow>& rows,
                      std::string* error) {
  std::vector<platform::Column> columns;
  for (const char* caption : kFindingCaptions) columns.push_back({caption, "", {}, false, false});
  columns[1].utf8 = true;  // folder and file names come from the system
  columns[2].utf8 = true;
  columns[5].type = platform::ColumnType::kInteger;
  const platform::TableWriter table(platform::TableFormat::kCsv, columns);
  platform::FileReplacer replacer;
  if (!replacer.Begin(platform::PathOf(target))) {
    if (error) *error = replacer.Error();
    return false;
  }
  platform::TextWriter& writer = replacer.Writer();
  table.WriteHeader(writer);
  std::string line;
  for (const FindingRow& row : rows) {
    std::array<std::string_view, kFindingColumns> cells;
    for (std::size_t c = 0; c < kFindingColumns; ++c) cells[c] = row[c];
    line.resize(table.RowRoom(cells.data()));
    line.resize(static_cast<std::size_t>(table.PutRow(line.data(), cells.data()) - line.data()));
    if (!writer.Write(line)) break;
  }
  if (!replacer.Commit()) {
    if (error) *error = replacer.Error();
    return false;
  }
  return true;
}

std::string Counted(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

int Check(const Options& options, std::ostream& out, BatchHost& host, const Clock& clock) {
  if (options.csv && !CheckOutput(*options.csv, "csv list of findings", host)) return 2;
  // A series is whole only if every file of it can be seen: a path that
  // cannot be read ends the command before anything is checked.
  std::vector<std::string> errors;
  const std::vector<std::string> files = lomtra::ExpandPaths(options.paths, &errors);
  for (const std::string& error : errors) host.Error("lomtra: " + error);
  for (const std::string& path : files) {
    platform::BinaryReader reader;
    std::string error;
    if (!reader.Open(platform::PathOf(path), &error))
      host.Error("lomtra: cannot read " + path + ": " + error);
    std::error_code same_error;
    if (options.csv && std::filesystem::equivalent(platform::PathOf(*options.csv),
                                                   platform::PathOf(path), same_error))
      host.Error("lomtra: the csv list of findings was not written: " + *options.csv +
                 ": it is one of the data files");
  }
  if (host.ErrorCount() > 0) return 2;

  EngineState state;
  host.WatchInterrupt(&state);
  AnalyserContext context{host, clock, state};
  SeriesCheckOptions check_options;
  check_options.gap_minutes = options.gap_minutes;
  check_options.workers = options.workers;
  const SeriesCheckOutcome outcome = CheckSeries(files, check_options, context);
  if (outcome.stopped && !platform::InterruptRequested()) {
    // An error ended the analysis; it has been said.
    return 2;
  }
  if (outcome.stopped) {
    host.Error("lomtra: stopped by the user; the series were not checked to the end");
    return 1;
  }
  if (!outcome.error.empty()) {
    host.Error("lomtra: the check ended because of an error: " + outcome.error);
    return 2;
  }
  std::vector<FindingRow> rows;
  std::size_t failing = 0;
  for (const Finding& finding : outcome.findings) {
    rows.push_back(RowOf(finding));
    if (MeansMissingOrDuplicated(finding.kind)) ++failing;
  }
  std::string text = rows.empty() ? std::string() : FindingsTable(rows);
  // With no series at all nothing was checked, and a script must not take
  // that for a whole series.
  const bool nothing_checked = outcome.series == 0;
  text += Counted(outcome.files, "file", "files") + " in " +
          Counted(outcome.series, "series", "series") + " checked: ";
  if (nothing_checked) {
    text += "no file of a known exchange type was given";
  } else if (failing > 0) {
    text += Counted(rows.size(), "finding", "findings") + ", " + std::to_string(failing) +
            " of them missing, duplicated or unreadable data";
  } else if (!rows.empty()) {
    text += "every series is whole; " + Counted(rows.size(), "finding", "findings") + " to look at";
  } else {
    text += "every series is whole";
  }
  if (outcome.passed_over > 0)
    text += " (" + Counted(outcome.passed_over, "file", "files") + " of unknown type passed over)";
  text += ".\n";
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
  if (!out) {
    host.Error("lomtra: the findings could not be written to standard output");
    return 2;
  }
  if (options.csv) {
    std::string error;
    if (!WriteFindingsCsv(*options.csv, rows, &error)) {
      host.Error("lomtra: the csv list of findings was not written: " + error);
      return 2;
    }
    host.Note("CSV list of findings " + *options.csv + " Saved");
  }
  if (nothing_checked) return 2;
  return failing > 0 ? 1 : 0;
}

}  // namespace

std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths,
                                     std::vector<std::string>* errors) {
  std::vector<std::string> files;
  for (const std::string& path : paths) {
    std::error_code ec;
    if (!std::filesystem::is_directory(platform::PathOf(path), ec)) {
      files.push_back(path);
      continue;
    }
    std::vector<std::filesystem::path> inside;
    for (std::filesystem::directory_iterator it(platform::PathOf(path), ec), end; !ec && it != end;
         it.increment(ec)) {
      std::error_code type_ec;
      if (it->is_regular_file(type_ec)) inside.push_back(it->path());
    }
    if (ec) {
      if (errors) errors->push_back("cannot list the folder " + path + ": " + ec.message());
      continue;
    }
    std::sort(inside.begin(), inside.end(), [](const auto& a, const auto& b) {
      return a.filename().string() < b.filename().string();
    });
    for (const auto& file : inside) files.push_back(file.string());
  }
  return files;
}

bool IsCommandLine(const std::vector<std::string>& args) {
  if (args.empty()) return false;
  if (IsCommand(args[0]) || args[0].rfind('-', 0) == 0) return true;
  // Paths alone open the window; anything else is a mistyped command, said
  // as such, never a window.
  return !std::all_of(args.begin(), args.end(), Exists);
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool stderr_is_terminal) {
  const platform::FirstWord first = platform::ReadFirstWord(args, {"identify", "analyse", "check"});
  if (first == platform::FirstWord::kHelp) {
    out << kUsage;
    return 0;
  }
  if (first == platform::FirstWord::kVersion) {
    out << "lomtra " << APP_VERSION_TEXT << '\n';
    return 0;
  }
  if (first != platform::FirstWord::kCommand) {
    // The first argument that is neither a command nor an existing path.
    auto unknown =
        std::find_if(args.begin(), args.end(), [](const std::string& a) { return !Exists(a); });
    err << platform::UsageErrorText(
        "lomtra", "unknown command " + (unknown == args.end() ? args[0] : *unknown), kUsage);
    return platform::kUsageErrorStatus;
  }
  Options options;
  const std::string usage_error = ParseOptions(args, options);
  if (!usage_error.empty()) {
    // check's options are its own: the general usage lists analyse's.
    err << platform::UsageErrorText("lomtra", usage_error,
                                    args[0] == "check" ? kCheckUsage : kUsage);
    return platform::kUsageErrorStatus;
  }
  if (options.help) {
    out << (args[0] == "identify" ? kIdentifyUsage
            : args[0] == "check"  ? kCheckUsage
                                  : kAnalyseUsage);
    return 0;
  }
  BatchHost host(err, options.quiet, options.stop_on_error, stderr_is_terminal);
  std::unique_ptr<Clock> clock;
  if (options.clock) {
    clock = std::make_unique<FixedClock>(*options.clock);
  } else {
    clock = std::make_unique<SystemClock>();
  }
  try {
    if (options.command == "identify") return Identify(options, out, host);
    if (options.command == "check") return Check(options, out, host, *clock);
    return Analyse(options, out, host, *clock);
  } catch (const std::exception& e) {
    host.Error(std::string("lomtra: the run ended because of an error: ") + e.what());
    return 2;
  }
}

}  // namespace lomtra
