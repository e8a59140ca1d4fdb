#include "command_line.h"

#include <cstdio>

#include "extraction_run.h"
#include "platform/console.h"

namespace pardel {
namespace {

constexpr const char* kUsage =
    "usage: pardel                          open the window\n"
    "       pardel extract -o OUT [options] FILE...\n"
    "                                       write every record of the AXE files to OUT\n"
    "       pardel sample -o OUT [--open] [options] FILE...\n"
    "                                       write the first 50 records to OUT;\n"
    "                                       --open shows OUT in the text viewer\n"
    "options:\n"
    "  --stop-on-error   answer No when a file is not an AXE data file (default Yes:\n"
    "                    skip it and go on)\n"
    "  --quiet           print nothing but errors\n"
    "  --help, --version\n"
    "exit status: 0 every file processed, 1 a file skipped or the run stopped,\n"
    "             2 usage error or a failure that ended the run\n";

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
    return platform::ShowOnConsole(stderr, "pardel", message, quiet_, stop_on_error_);
  }


  void SetStatus(const std::string&, const std::string& file_panel) override { label_ = file_panel; }

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
  bool open_failed_ = false;
};

int Usage(const char* problem) {
  std::fprintf(stderr, "pardel: %s\n%s", problem, kUsage);
  return 2;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, const ViewerFunction& viewer) {
  if (args.empty()) return Usage("no command");
  if (args[0] == "--help" || args[0] == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args[0] == "--version") {
    std::printf("pardel %s\n", APP_VERSION_TEXT);
    return 0;
  }
  const std::string& command = args[0];
  if (command != "extract" && command != "sample") return Usage(("unknown command " + command).c_str());

  RunRequest request;
  request.sample = command == "sample";
  bool quiet = false, stop_on_error = false, open = false, options_done = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!options_done && a == "--") {
      options_done = true;
    } else if (!options_done && (a == "-o" || a == "--output")) {
      if (i + 1 >= args.size()) return Usage("-o needs a file name");
      request.output = args[++i];
    } else if (!options_done && a == "--quiet") {
      quiet = true;
    } else if (!options_done && a == "--stop-on-error") {
      stop_on_error = true;
    } else if (!options_done && a == "--open" && request.sample) {
      open = true;
    } else if (!options_done && a.size() > 1 && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else {
      request.files.emplace_back(a);
    }
  }
  if (request.output.empty()) return Usage("no output file (-o OUT)");
  if (request.files.empty()) return Usage("no input files");

  ConsoleHost host(quiet, stop_on_error, open, viewer);
  ExtractionRun run(host);
  const RunResult result = run.Run(request);
  switch (result.outcome) {
    case RunOutcome::kFailed:
    case RunOutcome::kNoFiles:
      return 2;
    case RunOutcome::kStopped:
      return 1;
    case RunOutcome::kSampleShown:
    case RunOutcome::kCompleted:
      break;
  }
  if (host.OpenFailed()) return 2;
  return result.files_skipped > 0 ? 1 : 0;
}

}  // namespace pardel
