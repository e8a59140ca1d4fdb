#include "command_line.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <set>

#include "console_host.h"
#include "ostrel/extraction_run.h"
#include "ostrel/file_analysis.h"
#include "ostrel/ocb_decoder.h"
#include "ostrel/trimming.h"
#include "platform/command_line.h"
#include "platform/interrupt.h"
#include "platform/open_file.h"
#include "platform/output_format.h"
#include "platform/parallel.h"

namespace ostrel {

namespace {

constexpr const char* kUsage =
    "usage: ostrel                      open the window\n"
    "       ostrel extract -o OUT [--fields LIST] [--format FORMAT] [--db CONNECTION]\n"
    "                      [--stop-on-error] [--quiet] [-j N] FILE...\n"
    "       ostrel analyse FILE\n"
    "       ostrel trim FILE [--yes] [--to DIR] [--quiet]\n"
    "       ostrel COMMAND --help            the command's own help\n"
    "       ostrel --help | --version\n"
    "OUT \"-\" is the standard output. OUT is replaced only when a run ends; Ctrl-C\n"
    "stops after the current block keeping the lines so far (exit status 1).\n"
    "LIST: field numbers 1-18 separated by commas, ranges allowed (4-6,8);\n"
    "      the default is 4,5,6,8,12,13,14,15.\n"
    "FORMAT: text (default), csv, jsonl, sqlite (OUT is the database file) or\n"
    "      postgres (--db postgresql://..., or the PG* variables; no -o).\n"
    "Exit status: 0 every file processed, 1 a file skipped or the run stopped,\n"
    "2 usage error or a failure that ended the run.\n";

constexpr const char* kExtractUsage =
    "usage: ostrel extract -o OUT [--fields LIST] [--format FORMAT] [--db CONNECTION]\n"
    "                      [--stop-on-error] [--quiet] [-j N] FILE...\n"
    "write every call record of the OCB-283 files to OUT (\"-\": standard output), one\n"
    "line of the chosen fields each. OUT is replaced only when the run ends: a run\n"
    "that fails, or whose every file is refused, leaves it as it was. Ctrl-C stops\n"
    "after the current block and keeps the lines written so far (exit status 1); a\n"
    "second Ctrl-C ends at once and leaves OUT as it was.\n"
    "  --fields LIST     field numbers 1-18 separated by commas, ranges allowed (4-6,8);\n"
    "                    the default is 4,5,6,8,12,13,14,15\n"
    "  --format FORMAT   text (the comma-separated lines, default), csv (a header\n"
    "                    row of the captions, RFC 4180) or jsonl (one JSON object\n"
    "                    a call), both adding call_start, source_file and record_no;\n"
    "                    sqlite: calls loaded into the database file OUT (table\n"
    "                    ocb_calls, one transaction per file, a file loaded again\n"
    "                    replaces its calls); postgres: the same into a server\n"
    "  --db CONNECTION   the server of --format postgres (postgresql://...); without\n"
    "                    it the PG* variables; no -o then\n"
    "  --stop-on-error   answer No when a file is not a valid OCB data file\n"
    "  --quiet           print nothing but errors\n"
    "  -j N              N workers read files, and 64 MiB stretches of larger ones,\n"
    "                    at once; the output is the same. Ctrl-C then stops after\n"
    "                    the file or stretch being written. Default: one per core;\n"
    "                    a database is loaded by one\n";

constexpr const char* kAnalyseUsage =
    "usage: ostrel analyse FILE\n"
    "print the Binary File Details of the OCB-283 file\n";

constexpr const char* kTrimUsage =
    "usage: ostrel trim FILE [--yes] [--to DIR] [--quiet]\n"
    "copy the useful part of the OCB-283 file into DIR (created when missing; the\n"
    "file's own folder by default) as FIRST-CALL-DATE.dat, or \"DATE (2).dat\" and so\n"
    "on when that name is taken. Ctrl-C abandons the copy (exit status 1).\n"
    "  --yes     answer the question Yes (otherwise it is asked on the terminal)\n"
    "  --quiet   print nothing but errors\n";

int UsageError(std::ostream& err, const std::string& what) {
  err << platform::UsageErrorText("ostrel", what, kUsage);
  return platform::kUsageErrorStatus;
}

std::optional<int> ParseFieldNumber(const std::string& text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > ocb::kFieldCount) return std::nullopt;
  return value;
}

// "4-6,8" -> {4, 5, 6, 8}, ascending, each once.
std::optional<FieldSelection> ParseFields(const std::string& list) {
  std::set<int> fields;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    const std::string item = list.substr(start, comma - start);
    const std::size_t dash = item.find('-');
    const auto low = ParseFieldNumber(item.substr(0, dash));
    const auto high = dash == std::string::npos ? low : ParseFieldNumber(item.substr(dash + 1));
    if (!low || !high || *low > *high) return std::nullopt;
    for (int n = *low; n <= *high; ++n) fields.insert(n);
    start = comma + 1;
  }
  return FieldSelection(fields.begin(), fields.end());
}

struct Parsed {
  std::vector<std::string> files;
  std::string output, fields, to, db;
  OutputFormat format = OutputFormat::kText;
  unsigned workers = platform::DefaultWorkers();
  bool has_fields = false, has_db = false, yes = false, stop_on_error = false, quiet = false,
       help = false;
  std::string error;
};

// The options each command takes; any other is a usage error.
Parsed Parse(const std::vector<std::string>& args) {
  Parsed p;
  const std::string& command = args[0];
  platform::CommandOptions options(platform::CommandOptions::HelpRule::kUnlessError);
  options.UnknownOption(
      [&](const std::string& word) { return "unknown option " + word + " for " + command; });
  if (command == "extract") {
    options.Value({"-o", "--output"}, &p.output);
    options.Value({"--fields"}, [&](const std::string&, const std::string& list) {
      p.fields = list;
      p.has_fields = true;
      return std::string();
    });
    options.Value({"--format"}, [&](const std::string&, const std::string& name) {
      return platform::ParseOutputFormat(name, &p.format) ? std::string()
                                                          : platform::UnknownOutputFormatText(name);
    });
    options.Value({"--db"}, [&](const std::string&, const std::string& connection) {
      p.db = connection;
      p.has_db = true;
      return std::string();
    });
    options.Flag({"--stop-on-error"}, &p.stop_on_error);
    options.Flag({"--quiet", "-q"}, &p.quiet);
    options.Value({"-j"}, [&](const std::string&, const std::string& value) {
      return platform::ReadWorkers(value, &p.workers);
    });
  } else if (command == "trim") {
    options.Flag({"--yes"}, &p.yes);
    options.Value({"--to"}, &p.to);
    options.Flag({"--quiet", "-q"}, &p.quiet);
  }
  auto reading = options.Read(args);
  p.error = std::move(reading.error);
  p.help = reading.help;
  p.files = std::move(reading.positional);
  return p;
}

int Extract(const Parsed& p, std::ostream& err, std::istream& in, bool terminal) {
  const bool postgres = p.format == OutputFormat::kPostgres;
  if (p.has_db && !postgres) return UsageError(err, "--db is for --format postgres only");
  if (postgres && !p.output.empty())
    return UsageError(err, "--format postgres takes no -o (the server is --db)");
  if (!postgres && p.output.empty()) return UsageError(err, "extract needs -o OUT");
  if (p.format == OutputFormat::kSqlite && p.output == "-")
    return UsageError(err, "--format sqlite needs a database file as -o, not -");
  if (p.files.empty()) return UsageError(err, "extract needs at least one FILE");
  ExtractionRequest request;
  request.output_path = postgres ? p.db : p.output;
  request.format = p.format;
  request.files = p.files;
  request.list_entries = p.files.size();
  request.workers = p.workers;
  request.fields = DefaultFieldSelection();
  if (p.has_fields) {
    const auto fields = ParseFields(p.fields);
    if (!fields) return UsageError(err, "--fields wants numbers 1-18 such as 4-6,8");
    request.fields = *fields;
  }
  ConsoleOptions options;
  options.quiet = p.quiet;
  options.stop_on_error = p.stop_on_error;
  options.progress = terminal;
  ConsoleHost host(options, err, in);
  platform::InstallBatchInterruptHandlers("ostrel");
  const ExtractionResult result = ExtractFiles(request, host);
  switch (result.outcome) {
    case RunOutcome::kCompleted:
      return result.files_skipped == 0 ? 0 : 1;
    case RunOutcome::kStoppedByUser:
      if (platform::IsDatabaseFormat(p.format)) {
        err << "ostrel: stopped by the user; " << result.files_loaded << " files loaded into "
            << DatabaseName(request) << '\n';
        return 1;
      }
      err << "ostrel: stopped by the user; " << result.calls << " records written to "
          << (p.output == "-" ? std::string("standard output") : p.output) << '\n';
      return 1;
    case RunOutcome::kStoppedAtInvalid:
      return 1;
    default:
      return 2;
  }
}

// An unreadable file ends the run (2); a file that is no OCB file is skipped (1).
int AnalysisFailure(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(platform::PathOf(path), ec)) return 2;
  std::ifstream probe(path, std::ios::binary);
  return probe ? 1 : 2;
}

int Analyse(const Parsed& p, std::ostream& out, std::ostream& err, std::istream& in) {
  if (p.files.size() != 1) return UsageError(err, "analyse needs exactly one FILE");
  ConsoleHost host({}, err, in);
  const auto details = AnalyseFile(p.files[0], host);
  if (!details) return AnalysisFailure(p.files[0]);
  for (const auto& [caption, value] : DetailLines(*details))
    out << caption << '\t' << value << '\n';
  out << std::flush;
  return 0;
}

int Trim(const Parsed& p, std::ostream& err, std::istream& in) {
  if (p.files.size() != 1) return UsageError(err, "trim needs exactly one FILE");
  ConsoleOptions options;
  options.quiet = p.quiet;
  options.ask_terminal = !p.yes;
  ConsoleHost host(options, err, in);
  const auto details = AnalyseFile(p.files[0], host);
  if (!details) return AnalysisFailure(p.files[0]);
  platform::InstallBatchInterruptHandlers("ostrel");
  const TrimResult result = TrimFile(p.files[0], *details, platform::PathOf(p.to), host);
  switch (result.outcome) {
    case TrimOutcome::kTrimmed:
      return 0;
    case TrimOutcome::kDeclined:
      return 1;
    case TrimOutcome::kStopped:
      err << "ostrel: stopped by the user; the trimmed copy " << result.target.string()
          << " was not written\n";
      return 1;
    default:
      return 2;
  }
}

}  // namespace

std::string VersionText() {
  return std::string("Ostrel ") + APP_VERSION_TEXT + "." + std::to_string(APP_VERSION_PATCH);
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   std::istream& in, bool err_is_terminal) {
  const platform::FirstWord first =
      platform::ReadFirstWord(args, {"extract", "analyse", "analyze", "trim"});
  if (first == platform::FirstWord::kNone) return UsageError(err, "no command given");
  const std::string& command = args[0];
  if (first == platform::FirstWord::kHelp || command == "help") {
    out << kUsage;
    return 0;
  }
  if (first == platform::FirstWord::kVersion) {
    out << VersionText() << '\n';
    return 0;
  }
  if (first == platform::FirstWord::kUnknown) return UsageError(err, "unknown command " + command);
  const Parsed parsed = Parse(args);
  if (!parsed.error.empty()) return UsageError(err, parsed.error);
  if (parsed.help) {
    out << (command == "extract" ? kExtractUsage : command == "trim" ? kTrimUsage : kAnalyseUsage);
    return 0;
  }
  try {
    if (command == "extract") return Extract(parsed, err, in, err_is_terminal);
    if (command == "analyse" || command == "analyze") return Analyse(parsed, out, err, in);
    if (command == "trim") return Trim(parsed, err, in);
  } catch (const std::exception& e) {
    err << "ostrel: " << e.what() << '\n';
    return 2;
  }
  return UsageError(err, "unknown command " + command);
}

}  // namespace ostrel
