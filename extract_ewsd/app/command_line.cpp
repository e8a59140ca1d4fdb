#include "command_line.h"

#include <cstdio>

#include "column_list.h"
#include "extraction_run.h"
#include "platform/console.h"
#include "record_analysis.h"

namespace vantor {
namespace {

constexpr const char* kUsage =
    "usage: vantor                          open the window\n"
    "       vantor extract -o OUT [--columns LIST] [options] FILE...\n"
    "                                       write every call record of the EWSD files\n"
    "                                       to OUT, one comma-separated line each\n"
    "       vantor analyse [--quiet] FILE   print the first and last record, the\n"
    "                                       record count and the file size\n"
    "options:\n"
    "  --columns LIST    slot numbers 0 to 19, comma-separated, ranges like 1-8\n"
    "                    (default 1-8,11: Date, Time, Calling ID, Called ID, Duration,\n"
    "                    Units, OG Tgp, IC Tgp, ConnID)\n"
    "  --stop-on-error   answer No when a file is not a valid data file (default Yes:\n"
    "                    skip it and go on with the others)\n"
    "  --quiet           print nothing but errors\n"
    "  --help, --version\n"
    "exit status: 0 every file processed, 1 a file skipped or the run stopped,\n"
    "             2 usage error or a failure that ended the run\n";

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
    return platform::ShowOnConsole(stderr, "vantor", message, quiet_, stop_on_error_);
  }


  void SetStatusText(const std::string& text) override { label_ = text; }
  void SetRunProgress(int value) override { Progress(value); }
  void SetAnalysisProgress(int value) override { Progress(value / 3); }
  void SetAnalysisLabels(const AnalysisLabels&) override {}
  void PumpEvents() override {}

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
};

int Usage(const std::string& problem) {
  std::fprintf(stderr, "vantor: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

int Extract(const std::vector<std::string>& args) {
  RunSettings settings;
  settings.columns = DefaultColumns();
  bool quiet = false, stop_on_error = false, options_done = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!options_done && a == "--") {
      options_done = true;
    } else if (!options_done && (a == "-o" || a == "--output")) {
      if (i + 1 >= args.size()) return Usage("-o needs a file name");
      settings.output_path = args[++i];
    } else if (!options_done && a == "--columns") {
      if (i + 1 >= args.size()) return Usage("--columns needs a list");
      std::string error;
      if (!ParseColumnList(args[++i], &settings.columns, &error)) return Usage(error);
    } else if (!options_done && a == "--quiet") {
      quiet = true;
    } else if (!options_done && a == "--stop-on-error") {
      stop_on_error = true;
    } else if (!options_done && a.size() > 1 && a[0] == '-') {
      return Usage("unknown option " + a);
    } else {
      settings.input_paths.push_back(a);
    }
  }
  if (settings.output_path.empty()) return Usage("no output file (-o OUT)");
  if (settings.input_paths.empty()) return Usage("no input files");

  ConsoleHost host(quiet, stop_on_error);
  ExtractionRun run(host);
  switch (run.StartExtraction(settings).outcome) {
    case RunOutcome::kCompleted:
      return 0;
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
  bool quiet = false, options_done = false;
  std::vector<std::string> files;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!options_done && a == "--") {
      options_done = true;
    } else if (!options_done && a == "--quiet") {
      quiet = true;
    } else if (!options_done && a.size() > 1 && a[0] == '-') {
      return Usage("unknown option " + a);
    } else {
      files.push_back(a);
    }
  }
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
  if (args.empty()) return Usage("no command");
  if (args[0] == "--help" || args[0] == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args[0] == "--version") {
    std::printf("vantor %s\n", APP_VERSION_TEXT);
    return 0;
  }
  if (args[0] == "extract") return Extract(args);
  if (args[0] == "analyse") return Analyse(args);
  return Usage("unknown command " + args[0]);
}

}  // namespace vantor
