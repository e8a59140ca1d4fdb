#include "command_line.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "kelvan/extraction_run.h"
#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/open_file.h"
#include "platform/output_format.h"
#include "platform/parallel.h"
#include "program_info.h"

namespace kelvan {

namespace {

constexpr const char* kUsage =
    "usage: kelvan                      open the window\n"
    "       kelvan extract (-o OUT | --dir DIR) [options] FILE...\n"
    "       kelvan extract --format sqlite -o DB [options] FILE...\n"
    "       kelvan extract --format postgres [--db CONNECTION] [options] FILE...\n"
    "       kelvan --help | --version\n"
    "\n"
    "extract writes one line per call record of the C-DOT TGCBR FILEs:\n"
    "  -o OUT                  into the one file OUT (- for the standard output)\n"
    "  --dir DIR               into one file per day section, DIR/tgcbrDDMMYY.txt\n"
    "                          (DIR is made when missing)\n"
    "  --fields LIST           field numbers to write, e.g. 1,3,5 (written in\n"
    "                          ascending order; default all): 1 date, 2 time,\n"
    "                          3 calling number, 4 called number, 5 duration,\n"
    "                          6 units, 7 O/G trunk group, 8 I/C trunk group\n"
    "  --format FORMAT         text (the lines, default), csv (a header row of the\n"
    "                          captions, RFC 4180), jsonl (one JSON object a call),\n"
    "                          sqlite (load into the database file DB) or postgres\n"
    "                          (load into the server of --db); all but text add\n"
    "                          call_start, and csv and jsonl source_file and record_no\n"
    "  --db CONNECTION         postgres only: \"postgresql://...\" (default: the PG*\n"
    "                          variables)\n"
    "  --fixed                 fixed-width columns\n"
    "  --delimiter TEXT        Comma (default), Tab, Space, or any other text\n"
    "  --filter FIELD=VALUE    only records whose FIELD is exactly VALUE (not empty);\n"
    "                          FIELD is calling, called, itgp or otgp\n"
    "  --area-code CODE        put the digits CODE in front of calling numbers of\n"
    "                          5 to 7 digits that do not begin with 0\n"
    "  -j N                    decode N files, or stretches of a large file, at once\n"
    "                          (default: one per core; a database loads on one)\n"
    "  --quiet                 tell nothing but errors\n"
    "  --stop-on-error         answer No to any question (default Yes: a file that\n"
    "                          is not a C-DOT data file is skipped)\n"
    "  --help                  this text\n"
    "The outputs are replaced only when the run ends: a run that fails leaves\n"
    "them as they were. Ctrl-C stops after the current record, keeping the\n"
    "lines written so far; a second Ctrl-C ends at once, replacing nothing.\n"
    "When no FILE is a C-DOT data file, no output is replaced.\n"
    "A database keeps whole files: each FILE is loaded in one go, replacing its\n"
    "calls of an earlier load; one that fails or is stopped leaves no calls.\n"
    "Exit status: 0 done, 1 a file skipped or the run stopped, 2 usage error or a\n"
    "failure that ended the run.\n";

// Messages on stderr, progress on a terminal only.
class ConsoleHost : public Host {
 public:
  ConsoleHost(std::FILE* err, bool quiet, bool stop_on_error)
      : err_(err),
        quiet_(quiet),
        stop_on_error_(stop_on_error),
        progress_(!quiet && err == stderr && platform::StderrIsTerminal()) {}

  MessageAnswer ShowMessage(const Message& message) override {
    progress_.Finish();
    return platform::ShowOnConsole(err_, "kelvan", message, quiet_, stop_on_error_);
  }

  void SetProgress(int value) override { progress_.Show(status_, value * 100 / kProgressMaximum); }
  void SetStatusText(const std::string& text) override {
    status_ = text;
    if (text.empty()) progress_.Finish();
  }
  bool StopRequested() override { return platform::InterruptRequested(); }

 private:
  std::FILE* err_;
  bool quiet_;
  bool stop_on_error_;
  platform::ConsoleProgress progress_;
  std::string status_;
};

struct Options {
  RunSettings settings;
  bool quiet = false;
  bool stop_on_error = false;
  bool help = false;
};

std::optional<std::vector<int>> ParseFields(const std::string& list) {
  std::vector<int> fields;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    const std::string item = list.substr(start, comma - start);
    if (item.size() != 1 || item[0] < '1' || item[0] > '8') return std::nullopt;
    fields.push_back(item[0] - '0');
    start = comma + 1;
  }
  std::sort(fields.begin(), fields.end());
  fields.erase(std::unique(fields.begin(), fields.end()), fields.end());
  return fields;
}

bool IsDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<FilterField> ParseFilterField(const std::string& name) {
  if (name == "calling") return FilterField::kCallingNo;
  if (name == "called") return FilterField::kCalledNo;
  if (name == "itgp") return FilterField::kITgpId;
  if (name == "otgp") return FilterField::kOTgpId;
  return std::nullopt;
}

// Fills `options` from the words after "extract" (args[0]); returns an error
// text.
std::string ParseExtract(const std::vector<std::string>& args, Options& options) {
  RunSettings& s = options.settings;
  s.field_selection = {1, 2, 3, 4, 5, 6, 7, 8};
  bool have_output = false, have_dir = false, have_fixed = false, have_delimiter = false,
       have_db = false;
  platform::CommandOptions reader(platform::CommandOptions::HelpRule::kInTurn);
  reader.Flag({"--fixed"}, &have_fixed);
  reader.Flag({"--quiet"}, &options.quiet);
  reader.Flag({"--stop-on-error"}, &options.stop_on_error);
  s.workers = platform::DefaultWorkers();
  reader.Value({"-j"}, [&](const std::string&, const std::string& v) {
    return platform::ReadWorkers(v, &s.workers);
  });
  reader.Value({"-o"}, [&](const std::string&, const std::string& v) {
    have_output = true;
    s.output_file = platform::PathOf(v);
    return std::string();
  });
  reader.Value({"--dir"}, [&](const std::string&, const std::string& v) {
    have_dir = true;
    s.output_folder = platform::PathOf(v);
    return std::string();
  });
  reader.Value({"--format"}, [&](const std::string&, const std::string& v) {
    if (!platform::ParseOutputFormat(v, &s.format)) return platform::UnknownOutputFormatText(v);
    return std::string();
  });
  reader.Value({"--db"}, [&](const std::string&, const std::string& v) {
    have_db = true;
    s.database = v;
    return std::string();
  });
  reader.Value({"--fields"}, [&](const std::string&, const std::string& v) {
    const auto fields = ParseFields(v);
    if (!fields) return "--fields wants field numbers 1 to 8 separated by commas, not '" + v + "'";
    s.field_selection = *fields;
    return std::string();
  });
  reader.Value({"--delimiter"}, [&](const std::string&, const std::string& v) {
    have_delimiter = true;
    s.delimiter_name = v;
    return std::string();
  });
  reader.Value({"--filter"}, [&](const std::string&, const std::string& v) {
    const std::size_t eq = v.find('=');
    const auto field = ParseFilterField(v.substr(0, eq));
    if (eq == std::string::npos || !field || eq + 1 == v.size()) {
      return "--filter wants FIELD=VALUE with FIELD calling, called, itgp or otgp and a "
             "value, not '" +
             v + "'";
    }
    s.filter_on = true;
    s.filter_field = *field;
    s.filter_value = v.substr(eq + 1);
    return std::string();
  });
  reader.Value({"--area-code"}, [&](const std::string&, const std::string& v) {
    if (!IsDigits(v)) return "--area-code wants digits, not '" + v + "'";
    s.area_code_on = true;
    s.area_code = v;
    return std::string();
  });
  const auto reading = reader.Read(args);
  if (!reading.error.empty()) return reading.error;
  if (reading.help) {
    options.help = true;
    return {};
  }
  for (const std::string& file : reading.positional) s.inputs.push_back(platform::PathOf(file));
  using platform::OutputFormat;
  if (have_db && s.format != OutputFormat::kPostgres) return "--db is for --format postgres only";
  if (s.format == OutputFormat::kPostgres) {
    if (have_output || have_dir) return "--format postgres loads into --db, not -o or --dir";
  } else if (s.format == OutputFormat::kSqlite) {
    if (!have_output || have_dir) return "--format sqlite wants -o DB, the database file";
    if (s.output_file == "-") return "--format sqlite wants a database file, not -o -";
  } else if (have_output == have_dir) {
    return "give either -o OUT or --dir DIR";
  }
  if (s.format != OutputFormat::kText && (have_fixed || have_delimiter))
    return "--fixed and --delimiter are for the text format only";
  if (have_fixed && have_delimiter) return "give either --fixed or --delimiter, not both";
  if (s.inputs.empty()) return "no input files";
  s.multi_file = have_dir;
  s.layout = have_fixed ? Layout::kFixedWidth : Layout::kDelimited;
  s.title = ProgramTitle();
  return {};
}

int UsageError(std::FILE* err, const std::string& text) {
  std::fputs(platform::UsageErrorText("kelvan", text, kUsage).c_str(), err);
  return platform::kUsageErrorStatus;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, const Clock& clock, std::FILE* out,
                   std::FILE* err) {
  switch (platform::ReadFirstWord(args, {"extract"})) {
    case platform::FirstWord::kNone:
      return UsageError(err, "nothing to do");
    case platform::FirstWord::kHelp:
      std::fputs(kUsage, out);
      return 0;
    case platform::FirstWord::kVersion:
      std::fprintf(out, "kelvan %s\n", APP_VERSION_TEXT);
      return 0;
    case platform::FirstWord::kUnknown:
      return UsageError(err, "unknown command " + args[0]);
    case platform::FirstWord::kCommand:
      break;
  }
  Options options;
  const std::string error = ParseExtract(args, options);
  if (!error.empty()) return UsageError(err, error);
  if (options.help) {
    std::fputs(kUsage, out);
    return 0;
  }
  const RunSettings& settings = options.settings;
  if (settings.multi_file) {
    std::error_code made_error;
    std::filesystem::create_directories(settings.output_folder, made_error);
    if (made_error) {
      std::fprintf(err, "kelvan: Cannot create the folder %s: %s\n",
                   settings.output_folder.string().c_str(), made_error.message().c_str());
      return 2;
    }
  }
  platform::InstallBatchInterruptHandlers("kelvan");
  ConsoleHost host(err, options.quiet, options.stop_on_error);
  const RunResult result = RunExtraction(settings, host, clock);
  const bool database = platform::IsDatabaseFormat(settings.format);
  if (result.outcome == RunResult::Outcome::kStopped && database) {
    std::fprintf(err, "kelvan: stopped by the user; %zu files loaded into %s\n",
                 result.files_loaded, DatabaseName(settings).c_str());
    return 1;
  }
  if (result.outcome == RunResult::Outcome::kStopped) {
    const std::string where = settings.multi_file
                                  ? "the files in " + settings.output_folder.string()
                              : settings.output_file == "-" ? std::string("standard output")
                                                            : settings.output_file.string();
    std::fprintf(err, "kelvan: stopped by the user; %llu records written to %s\n",
                 static_cast<unsigned long long>(result.records_written), where.c_str());
    return 1;
  }
  const bool answered = result.outcome == RunResult::Outcome::kCompleted ||
                        result.outcome == RunResult::Outcome::kEnded;
  if (!answered) return 2;
  if (result.files_decoded == 0 && !options.quiet) {
    if (database) {
      std::fprintf(err, "kelvan: no C-DOT data file was read; nothing was loaded into %s\n",
                   DatabaseName(settings).c_str());
    } else if (settings.multi_file) {
      std::fprintf(err, "kelvan: no C-DOT data file was read; nothing was written to %s\n",
                   settings.output_folder.string().c_str());
    } else if (settings.output_file != "-") {
      std::fprintf(err, "kelvan: no C-DOT data file was read; %s was not replaced\n",
                   settings.output_file.string().c_str());
    }
  }
  return result.outcome == RunResult::Outcome::kEnded || result.files_skipped > 0 ? 1 : 0;
}

}  // namespace kelvan
