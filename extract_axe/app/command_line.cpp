#include "command_line.h"

#include <cstdio>

#include "pardel/extraction_run.h"
#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/open_file.h"
#include "platform/output_format.h"
#include "platform/parallel.h"

namespace pardel {
namespace {

constexpr const char* kUsage =
    "usage: pardel                          open the window\n"
    "       pardel extract -o OUT [--format FORMAT] [options] FILE...\n"
    "                                       write every record of the AXE files to OUT\n"
    "       pardel extract --format postgres [--db CONNECTION] [options] FILE...\n"
    "                                       load every record into PostgreSQL\n"
    "       pardel sample -o OUT [--open] [options] FILE...\n"
    "                                       write the first 50 records to OUT;\n"
    "                                       --open shows OUT in the text viewer\n"
    "options:\n"
    "  --format FORMAT   extract: text (the comma-separated lines, default), csv (a\n"
    "                    header row, RFC 4180), jsonl (one JSON object a record),\n"
    "                    sqlite (OUT is the database file) or postgres\n"
    "  --db CONNECTION   postgres: \"postgresql://...\" (default: the PG* variables)\n"
    "  --stop-on-error   answer No when a file is not an AXE data file (default Yes:\n"
    "                    skip it and go on)\n"
    "  -j N              decode N files (or stretches of a large file) at once\n"
    "                    (default: one a core; the output is the same)\n"
    "  --quiet           print nothing but errors\n"
    "  --help, --version\n"
    "exit status: 0 every file processed, 1 a file skipped or the run stopped,\n"
    "             2 usage error or a failure that ended the run\n";

constexpr const char* kOutputText =
    "OUT is replaced only when the run ends: a run that fails, or whose only\n"
    "files are not AXE data files, leaves it as it was. OUT - writes to the\n"
    "standard output. Ctrl-C stops after the current block, keeping the lines\n"
    "written so far (exit status 1); a second Ctrl-C ends at once and leaves\n"
    "OUT as it was.\n";

constexpr const char* kExtractUsage =
    "usage: pardel extract -o OUT [--format FORMAT] [--stop-on-error] [-j N] [--quiet]\n"
    "                      FILE...\n"
    "       pardel extract --format postgres [--db CONNECTION] [--stop-on-error]\n"
    "                      [--quiet] FILE...\n"
    "write every record of the AXE files to OUT, one line each.\n"
    "  --format FORMAT   text (the comma-separated lines, default), csv (a header\n"
    "                    row, RFC 4180) or jsonl (one JSON object a record), both\n"
    "                    with call_start, source_file and record_no; sqlite (OUT is\n"
    "                    the database file) or postgres: the calls loaded into the\n"
    "                    table axe_calls, one transaction per file\n"
    "  --db CONNECTION   postgres: \"postgresql://user@host/database\" (default: the\n"
    "                    PG* variables)\n"
    "  --stop-on-error   answer No when a file is not an AXE data file (default Yes:\n"
    "                    skip it and go on)\n"
    "  -j N              decode N files (or stretches of a large file) at once\n"
    "                    (default: one a core; a database loads one at a time)\n"
    "  --quiet           print nothing but errors\n";

constexpr const char* kDatabaseText =
    "A database keeps whole files: a file that fails or is stopped by Ctrl-C\n"
    "leaves no calls, and loading a file again replaces its calls.\n";

constexpr const char* kSampleUsage =
    "usage: pardel sample -o OUT [--open] [--stop-on-error] [-j N] [--quiet] FILE...\n"
    "write the first 50 records of the AXE files to OUT.\n"
    "  --open            show OUT in the text viewer (not with -o -)\n"
    "  --stop-on-error   answer No when a file is not an AXE data file (default Yes:\n"
    "                    skip it and go on)\n"
    "  -j N              decode N files at once (default: one a core)\n"
    "  --quiet           print nothing but errors\n";

class ConsoleHost : public Host {
 public:
  ConsoleHost(bool quiet, bool stop_on_error, bool open, const ViewerFunction& viewer)
      : quiet_(quiet),
        stop_on_error_(stop_on_error),
        open_(open),
        viewer_(viewer),
        progress_(!quiet && platform::StderrIsTerminal()) {}

  Answer ShowMessage(const Message& message) override {
    progress_.Finish();
    if (message.buttons != Buttons::kYesNo || file_.empty())
      return platform::ShowOnConsole(stderr, "pardel", message, quiet_, stop_on_error_);
    // The window shows the file in its status bar; here the question names it.
    Message named = message;
    named.text = file_ + ": " + message.text;
    return platform::ShowOnConsole(stderr, "pardel", named, quiet_, stop_on_error_);
  }

  void SetMessageFile(const std::string& path, const std::string&) override { file_ = path; }
  bool StopRequested() override { return platform::InterruptRequested(); }

  void SetStatus(const std::string&, const std::string& file_panel) override {
    label_ = file_panel;
  }

  void SetProgress(int value) override { progress_.Show(label_, value); }

  void OpenInTextViewer(const std::filesystem::path& path) override {
    progress_.Finish();
    if (!open_) return;
    if (!viewer_ || !viewer_(path.string())) {
      std::fprintf(stderr, "pardel: cannot open %s in the text viewer\n", path.string().c_str());
      open_failed_ = true;
    }
  }

  bool OpenFailed() const { return open_failed_; }

 private:
  bool quiet_;
  bool stop_on_error_;
  bool open_;
  const ViewerFunction& viewer_;
  platform::ConsoleProgress progress_;
  std::string label_;
  std::string file_;
  bool open_failed_ = false;
};

int Usage(const std::string& problem) {
  std::fputs(platform::UsageErrorText("pardel", problem, kUsage).c_str(), stderr);
  return platform::kUsageErrorStatus;
}

int CommandUsage(const std::string& command, const std::string& problem) {
  std::fputs(platform::UsageErrorText("pardel", problem,
                                      command == "sample" ? kSampleUsage : kExtractUsage)
                 .c_str(),
             stderr);
  return platform::kUsageErrorStatus;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, const ViewerFunction& viewer) {
  switch (platform::ReadFirstWord(args, {"extract", "sample"})) {
    case platform::FirstWord::kNone:
      return Usage("no command");
    case platform::FirstWord::kHelp:
      std::fputs(kUsage, stdout);
      std::fputs(kOutputText, stdout);
      return 0;
    case platform::FirstWord::kVersion:
      std::printf("pardel %s\n", APP_VERSION_TEXT);
      return 0;
    case platform::FirstWord::kUnknown:
      return Usage("unknown command " + args[0]);
    case platform::FirstWord::kCommand:
      break;
  }
  const std::string& command = args[0];

  RunRequest request;
  request.sample = command == "sample";
  OutputChoice choice;
  bool db_given = false;
  bool quiet = false, stop_on_error = false, open = false;
  platform::CommandOptions options(platform::CommandOptions::HelpRule::kBeforeEnd);
  options.Value(
      {"-o", "--output"},
      [&](const std::string&, const std::string& path) {
        request.output = platform::PathOf(path);
        return std::string();
      },
      "-o needs a file name");
  options.Flag({"--quiet"}, &quiet);
  options.Flag({"--stop-on-error"}, &stop_on_error);
  request.workers = platform::DefaultWorkers();
  options.Value(
      {"-j"},
      [&](const std::string&, const std::string& value) {
        return platform::ReadWorkers(value, &request.workers);
      },
      "-j needs a number of workers from 1 to 256");
  if (request.sample) {
    options.Flag({"--open"}, &open);
  } else {
    options.Value(
        {"--format"},
        [&](const std::string&, const std::string& name) {
          if (!platform::ParseOutputFormat(name, &choice.format))
            return platform::UnknownOutputFormatText(name);
          return std::string();
        },
        std::string("--format needs ") + platform::kOutputFormatNames);
    options.Value(
        {"--db"},
        [&](const std::string&, const std::string& connection) {
          choice.connection = connection;
          db_given = true;
          return std::string();
        },
        "--db needs a connection text");
  }
  const auto reading = options.Read(args);
  if (!reading.error.empty()) return CommandUsage(command, reading.error);
  if (reading.help) {
    std::fputs(command == "sample" ? kSampleUsage : kExtractUsage, stdout);
    std::fputs(kOutputText, stdout);
    if (command != "sample") std::fputs(kDatabaseText, stdout);
    return 0;
  }
  for (const std::string& file : reading.positional)
    request.files.push_back(platform::PathOf(file));
  const bool postgres = choice.format == platform::OutputFormat::kPostgres;
  if (db_given && !postgres) return CommandUsage(command, "--db is for --format postgres only");
  if (postgres) request.output.clear();  // the server is --db's, as in the other programs
  if (request.output.empty() && !postgres) return CommandUsage(command, "no output file (-o OUT)");
  if (request.files.empty()) return CommandUsage(command, "no input files");
  if (open && request.output == "-")
    return CommandUsage(command, "--open needs a file to show, not -o -");
  if (choice.format == platform::OutputFormat::kSqlite && request.output == "-")
    return CommandUsage(command, "--format sqlite needs a database file, not -o -");

  platform::InstallBatchInterruptHandlers("pardel");
  ConsoleHost host(quiet, stop_on_error, open, viewer);
  ExtractionRun run(host);
  const RunResult result = run.Run(request, choice);
  const bool database = platform::IsDatabaseFormat(choice.format);
  switch (result.outcome) {
    case RunOutcome::kFailed:
    case RunOutcome::kNoFiles:
      return 2;
    case RunOutcome::kStopped:
      return 1;
    case RunOutcome::kInterrupted:
      if (database) {
        std::fprintf(stderr, "pardel: stopped by the user; %lld files loaded into %s\n",
                     static_cast<long long>(result.files_loaded),
                     DatabaseName(request, choice.format).c_str());
        return 1;
      }
      std::fprintf(stderr, "pardel: stopped by the user; %llu records written to %s\n",
                   static_cast<unsigned long long>(result.lines_written),
                   request.output == "-" ? "standard output" : request.output.string().c_str());
      return 1;
    case RunOutcome::kSampleShown:
    case RunOutcome::kCompleted:
      break;
  }
  if (host.OpenFailed()) return 2;
  if (result.files_skipped == result.files_opened && !quiet && database) {
    std::fprintf(stderr,
                 "pardel: none of the files is an AXE data file; nothing was loaded into %s\n",
                 DatabaseName(request, choice.format).c_str());
  } else if (result.files_skipped == result.files_opened && !quiet && request.output != "-") {
    std::fprintf(stderr, "pardel: none of the files is an AXE data file; %s was not replaced\n",
                 request.output.string().c_str());
  }
  return result.files_skipped > 0 ? 1 : 0;
}

}  // namespace pardel
