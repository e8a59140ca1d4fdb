#include "app/command_line.h"

#include <algorithm>
#include <cstdio>
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
#include "platform/command_line.h"
#include "platform/file_replacer.h"
#include "platform/interrupt.h"

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
    "                      [--jsonl FILE.jsonl] [--sqlite DB] PATH...\n"
    "                                     analyse the files and write the report\n"
    "                                     (to FILE, or to standard output)\n"
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
    "                      [--stop-on-error] [--clock \"YYYY-MM-DD HH:MM:SS\"] PATH...\n"
    "Analyses the files (first and last call, records) and writes the report to\n"
    "standard output or FILE.lmt. A folder given as PATH stands for the files in\n"
    "it, in name order. Outputs are written under a temporary name beside their\n"
    "target and replace it only when complete.\n" ANALYSE_OPTIONS;

bool IsCommand(const std::string& word) {
  return word == "identify" || word == "analyse";
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::exists(path, ec);
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
// is a path: only "--" words are options.
std::string ParseOptions(const std::vector<std::string>& args, Options& options) {
  options.command = args[0];
  platform::CommandOptions reader(platform::CommandOptions::HelpRule::kAnywhere,
                                  platform::CommandOptions::OptionWords::kDoubleDashed);
  auto output = [&](const std::string& option, const std::string& value) {
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
  reader.Flag({"--quiet"}, &options.quiet);
  reader.Flag({"--stop-on-error"}, &options.stop_on_error);
  const auto reading = reader.Read(args);
  if (!reading.error.empty()) return reading.error;
  options.help = reading.help;
  if (options.help) return {};
  options.paths = reading.positional;
  if (options.paths.empty()) return options.command + " needs at least one PATH";
  if (options.sqlite && *options.sqlite == "-") return "--sqlite needs a database file, not -";
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
  if (probe.Begin(target)) return true;
  host.Error(std::string("lomtra: the ") + what + " was not written: " + probe.Error());
  return false;
}

int Identify(const Options& options, std::ostream& out, BatchHost& host) {
  for (const std::string& path : ExpandedFiles(options.paths, host)) {
    std::string error;
    const SwitchType type = IdentifySwitch(path, &error);
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
    if (!CheckListDatabase(*options.sqlite, &error)) {
      host.Error("lomtra: the database was not written: " + error);
      return 2;
    }
  }
  const std::vector<std::string> files = ExpandedFiles(options.paths, host);
  std::vector<DataFileEntry> rows;
  const AddFilesOutcome added = AddFiles(rows, files, host);
  for (const std::string& failure : added.unreadable) host.Error("lomtra: cannot read " + failure);
  bool skipped = !added.duplicates.empty() || host.ErrorCount() > 0;

  EngineState state;
  host.WatchInterrupt(&state);
  AnalyserContext context{host, clock, state};
  const AnalysisOutcome outcome = AnalyseFiles(rows, false, context);
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
    if (!WriteWorkbookFile(*options.xlsx, rows, texts, &error)) {
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
    std::string error;
    if (!ExportList(**target, format, rows, &error)) {
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
  std::error_code ec;
  if (std::filesystem::exists(target, ec)) {
    const MessageAnswer answer =
        host.ShowMessage({"File Exists. Do you want to OverWrite?", kProgramTitle,
                          MessageIcon::kQuestion, MessageButtons::kYesNo});
    if (answer == MessageAnswer::kNo) {
      host.Note("lomtra: " + target + " was kept; no report written");
      return 1;
    }
  }
  std::string error;
  if (!WriteReportFile(target, rows, now, &error)) {
    host.Error("lomtra: the report was not written: " + error);
    return 2;
  }
  host.Note("File " + target + " Saved");
  return skipped ? 1 : 0;
}

}  // namespace

std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths,
                                     std::vector<std::string>* errors) {
  std::vector<std::string> files;
  for (const std::string& path : paths) {
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) {
      files.push_back(path);
      continue;
    }
    std::vector<std::filesystem::path> inside;
    for (std::filesystem::directory_iterator it(path, ec), end; !ec && it != end;
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
  const platform::FirstWord first = platform::ReadFirstWord(args, {"identify", "analyse"});
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
    err << platform::UsageErrorText("lomtra", usage_error, kUsage);
    return platform::kUsageErrorStatus;
  }
  if (options.help) {
    out << (args[0] == "identify" ? kIdentifyUsage : kAnalyseUsage);
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
    return Analyse(options, out, host, *clock);
  } catch (const std::exception& e) {
    host.Error(std::string("lomtra: the run ended because of an error: ") + e.what());
    return 2;
  }
}

}  // namespace lomtra
