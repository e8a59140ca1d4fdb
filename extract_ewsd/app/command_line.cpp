#include "command_line.h"

#include <cstdio>

#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/parallel.h"
#include "vantor/column_list.h"
#include "vantor/extraction_run.h"
#include "vantor/record_analysis.h"

namespace vantor {
namespace {

constexpr const char* kUsage =
    "usage: vantor                          open the window\n"
    "       vantor extract -o OUT [--columns LIST] [options] FILE...\n"
    "                                       write every call record of the EWSD files\n"
    "                                       to OUT, one comma-separated line each\n"
    "       vantor analyse [--quiet] FILE   print the first and last record, the\n"
    "                                       record count and the file size\n"
    "       vantor COMMAND --help           the command's own help\n"
    "OUT \"-\" is the standard output. OUT is replaced only when a run ends; Ctrl-C\n"
    "stops after the current record keeping the lines so far (exit status 1).\n"
    "options:\n"
    "  --columns LIST    slot numbers 0 to 19, comma-separated, ranges like 1-8\n"
    "                    (default 1-8,11: Date, Time, Calling ID, Called ID, Duration,\n"
    "                    Units, OG Tgp, IC Tgp, ConnID)\n"
    "  --format FORMAT   text (the comma-separated lines, default), csv (a header\n"
    "                    row of the captions, RFC 4180), jsonl (one JSON object a\n"
    "                    call), sqlite (OUT is a database file: table ewsd_calls)\n"
    "                    or postgres (the server of --db or of the PG* variables)\n"
    "  --db URL          the PostgreSQL server, \"postgresql://user@host:port/db\"\n"
    "  --stop-on-error   answer No when a file is not a valid data file (default Yes:\n"
    "                    skip it and go on with the others)\n"
    "  -j N              decode N files (or stretches of a long file) at once\n"
    "                    (default: one per core; the output is the same)\n"
    "  --quiet           print nothing but errors\n"
    "  --help, --version\n"
    "exit status: 0 every file processed, 1 a file skipped or the run stopped,\n"
    "             2 usage error or a failure that ended the run\n";

constexpr const char* kExtractUsage =
    "usage: vantor extract -o OUT [--columns LIST] [--format FORMAT] [--stop-on-error]\n"
    "                      [-j N] [--quiet] FILE...\n"
    "       vantor extract --format postgres [--db URL] [--columns LIST] ... FILE...\n"
    "write every call record of the EWSD files to OUT (\"-\": standard output), one\n"
    "comma-separated line each. OUT is replaced only when the run ends: a run that\n"
    "fails, or whose every file is refused, leaves it as it was. Ctrl-C stops after\n"
    "the current record and keeps the lines written so far (exit status 1); a\n"
    "second Ctrl-C ends at once and leaves OUT as it was.\n"
    "  --columns LIST    slot numbers 0 to 19, comma-separated, ranges like 1-8\n"
    "                    (default 1-8,11)\n"
    "  --format FORMAT   text (default), csv, jsonl, sqlite or postgres. A database\n"
    "                    run loads each file in one transaction: a file refused,\n"
    "                    failed or stopped leaves none of its calls, and loading a\n"
    "                    file again replaces its calls\n"
    "  --db URL          the PostgreSQL server (default: the PG* variables)\n"
    "  --stop-on-error   answer No when a file is not a valid data file\n"
    "  -j N              files, or stretches of a long file, decoded at once (default:\n"
    "                    one per core; the output is the same). Above 1, Ctrl-C stops\n"
    "                    after the file or stretch being written\n"
    "  --quiet           print nothing but errors\n";

constexpr const char* kAnalyseUsage =
    "usage: vantor analyse [--quiet] FILE\n"
    "print the first and last record of the EWSD file, its record count and size\n";

constexpr const char* kAnalysisCaptions[10] = {
    "First Date",    "First Time", "First Calling_Number", "First Called_number",
    "Last Date",     "Last Time",  "Last Calling_Number",  "Last Called_number",
    "Total Records", "File Size"};

class ConsoleHost : public Host {
 public:
  ConsoleHost(bool quiet, bool stop_on_error)
      : quiet_(quiet),
        stop_on_error_(stop_on_error),
        progress_(!quiet && platform::StderrIsTerminal()) {}

  MessageAnswer ShowMessage(const Message& message) override {
    progress_.Finish();
    // Several files may pass in one run: a text that names no file gets the
    // file it is about.
    if (file_.empty() || message.text.find(file_) != std::string::npos)
      return platform::ShowOnConsole(stderr, "vantor", message, quiet_, stop_on_error_);
    Message named = message;
    named.text = file_ + ": " + message.text + (reason_.empty() ? "" : " (" + reason_ + ")");
    return platform::ShowOnConsole(stderr, "vantor", named, quiet_, stop_on_error_);
  }

  void SetStatusText(const std::string& text) override { label_ = text; }
  void SetProgress(int value) override { Progress(value); }
  void SetAnalysisProgress(int value) override { Progress(value / 3); }
  void SetAnalysisLabels(const AnalysisLabels&) override {}
  void PumpEvents() override {}
  void SetMessageFile(const std::string& path, const std::string& reason) override {
    file_ = path;
    reason_ = reason;
  }

 private:
  void Progress(int percent) {
    if (percent > 0 && percent < 100)
      progress_.Show(label_, percent);
    else
      progress_.Finish();
  }

  bool quiet_;
  bool stop_on_error_;
  platform::ConsoleProgress progress_;
  std::string label_;
  std::string file_;
  std::string reason_;
};

int Usage(const std::string& problem) {
  std::fputs(platform::UsageErrorText("vantor", problem, kUsage).c_str(), stderr);
  return platform::kUsageErrorStatus;
}

int Extract(const std::vector<std::string>& args) {
  RunSettings settings;
  settings.columns = DefaultColumns();
  bool quiet = false, stop_on_error = false;
  platform::CommandOptions options(platform::CommandOptions::HelpRule::kBeforeEnd);
  options.Value({"-o", "--output"}, &settings.output_path, "-o needs a file name");
  options.Value(
      {"--columns"},
      [&](const std::string&, const std::string& list) {
        // The window may write serial numbers alone; a command line that
        // asks for no column at all was mistyped.
        if (list.empty()) return std::string("--columns needs at least one column");
        std::string error;
        if (!ParseColumnList(list, &settings.columns, &error)) return error;
        return std::string();
      },
      "--columns needs a list");
  options.Value(
      {"--format"},
      [&](const std::string&, const std::string& name) {
        if (!platform::ParseOutputFormat(name, &settings.format))
          return platform::UnknownOutputFormatText(name);
        return std::string();
      },
      "--format needs a format name");
  bool database_given = false;
  options.Value(
      {"--db"},
      [&](const std::string&, const std::string& text) {
        settings.database = text;
        database_given = true;
        return std::string();
      },
      "--db needs a connection text");
  settings.workers = platform::DefaultWorkers();
  options.Value(
      {"-j"},
      [&](const std::string&, const std::string& value) {
        return platform::ReadWorkers(value, &settings.workers);
      },
      "-j needs a number of workers");
  options.Flag({"--quiet"}, &quiet);
  options.Flag({"--stop-on-error"}, &stop_on_error);
  const auto reading = options.Read(args);
  if (!reading.error.empty()) return Usage(reading.error);
  if (reading.help) {
    std::fputs(kExtractUsage, stdout);
    return 0;
  }
  settings.input_paths = reading.positional;
  if (database_given && settings.format != OutputFormat::kPostgres)
    return Usage("--db is for --format postgres");
  if (settings.format == OutputFormat::kSqlite && settings.output_path == "-")
    return Usage("a SQLite database cannot be standard output");
  if (settings.output_path.empty() && settings.format != OutputFormat::kPostgres)
    return Usage("no output file (-o OUT)");
  if (settings.input_paths.empty()) return Usage("no input files");

  ConsoleHost host(quiet, stop_on_error);
  ExtractionRun run(host);
  platform::InstallBatchInterruptHandlers("vantor");
  const RunResult result = run.StartExtraction(settings);
  switch (result.outcome) {
    case RunOutcome::kCompleted:
      return 0;
    case RunOutcome::kInterrupted:
      if (platform::IsDatabaseFormat(settings.format)) {
        std::fprintf(stderr, "vantor: stopped by the user; %lld files loaded into %s\n",
                     static_cast<long long>(result.files_loaded),
                     settings.format == OutputFormat::kSqlite ? settings.output_path.c_str()
                                                              : "the PostgreSQL database");
        return 1;
      }
      std::fprintf(stderr, "vantor: stopped by the user; %lld records written to %s\n",
                   static_cast<long long>(result.lines_written),
                   settings.output_path == "-" ? "standard output" : settings.output_path.c_str());
      return 1;
    case RunOutcome::kFilesSkipped:
    case RunOutcome::kStopped:
      return 1;
    case RunOutcome::kIgnored:
    case RunOutcome::kMissingOutput:
    case RunOutcome::kNoInput:
    case RunOutcome::kFailed:
      break;
  }
  return 2;
}

int Analyse(const std::vector<std::string>& args) {
  bool quiet = false;
  platform::CommandOptions options(platform::CommandOptions::HelpRule::kBeforeEnd);
  options.Flag({"--quiet"}, &quiet);
  const auto reading = options.Read(args);
  if (!reading.error.empty()) return Usage(reading.error);
  if (reading.help) {
    std::fputs(kAnalyseUsage, stdout);
    return 0;
  }
  const std::vector<std::string>& files = reading.positional;
  if (files.size() != 1) return Usage("analyse takes one file");

  ConsoleHost host(quiet, false);
  const AnalysisResult result = AnalyseFile(host, files[0]);
  switch (result.status) {
    case AnalysisStatus::kDone:
      break;
    case AnalysisStatus::kInvalidData:
      return 1;
    case AnalysisStatus::kMissingPath:
    case AnalysisStatus::kUnreadable:
      return 2;
  }
  for (std::size_t i = 0; i < 10; ++i) {
    // The window's labels start with three spaces; the printed values do not.
    const std::string& label = result.labels[i];
    std::printf("%s\t%s\n", kAnalysisCaptions[i], label.size() >= 3 ? label.c_str() + 3 : "");
  }
  return std::fflush(stdout) == 0 ? 0 : 2;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args) {
  switch (platform::ReadFirstWord(args, {"extract", "analyse"})) {
    case platform::FirstWord::kNone:
      return Usage("no command");
    case platform::FirstWord::kHelp:
      std::fputs(kUsage, stdout);
      return 0;
    case platform::FirstWord::kVersion:
      std::printf("vantor %s\n", APP_VERSION_TEXT);
      return 0;
    case platform::FirstWord::kCommand:
      return args[0] == "extract" ? Extract(args) : Analyse(args);
    case platform::FirstWord::kUnknown:
      break;
  }
  return Usage("unknown command " + args[0]);
}

}  // namespace vantor
