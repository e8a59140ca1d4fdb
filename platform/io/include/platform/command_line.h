#pragma once
// What the programs' command lines share: a command as the first word, then
// options with and without a value and positional arguments, "--" ending the
// options, a help word per command, and usage errors ("program: problem",
// then the usage, exit status 2). Each program keeps its own texts; this
// only reads the words.
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace platform {

inline constexpr int kUsageErrorStatus = 2;

// "program: problem" on a line of its own, then the usage.
std::string UsageErrorText(const std::string& program, const std::string& problem,
                           const std::string& usage);

// What the first word of a command line asks for.
enum class FirstWord {
  kNone,     // no word at all
  kHelp,     // --help, -h
  kVersion,  // --version
  kCommand,  // one of the program's commands
  kUnknown,  // anything else
};
FirstWord ReadFirstWord(const std::vector<std::string>& args,
                        std::initializer_list<const char*> commands);

// The options of one command, and how its words are read.
class CommandOptions {
 public:
  // When a help word (--help, -h) counts. The programs grew different rules
  // and scripts may rely on them, so each keeps its own.
  enum class HelpRule {
    kInTurn,       // read in turn: the first of a help word and a usage error wins
    kUnlessError,  // a usage error anywhere wins over a help word
    kBeforeEnd,    // a help word anywhere before "--" wins, even where a value was due
    kAnywhere,     // a help word anywhere wins, even after "--"
  };
  // Which words, when no option of the command, are unknown options (a usage
  // error); any other word is a positional argument. "-" alone is always one.
  enum class OptionWords {
    kDashed,        // "-x" and "--x"
    kDoubleDashed,  // "--x" only; "-x" is a positional argument
  };
  // Gets the option as written and its value; returns a usage error, or ""
  // when the value is taken.
  using ValueTaker =
      std::function<std::string(const std::string& option, const std::string& value)>;

  explicit CommandOptions(HelpRule help, OptionWords words = OptionWords::kDashed)
      : help_(help), words_(words) {}

  // An option without a value: sets *on.
  void Flag(std::initializer_list<const char*> names, bool* on);
  // An option whose value is the next word, whatever it is. Without one the
  // usage error is `missing`, or "OPTION needs a value" when that is empty.
  void Value(std::initializer_list<const char*> names, ValueTaker take, std::string missing = {});
  // The same, keeping the last value given.
  void Value(std::initializer_list<const char*> names, std::string* into, std::string missing = {});
  // The usage error for an unknown option; "unknown option WORD" by default.
  void UnknownOption(std::function<std::string(const std::string& word)> text) {
    unknown_ = std::move(text);
  }

  struct Reading {
    std::string error;  // a usage error; when set, nothing else counts
    bool help = false;  // the command's help was asked for
    std::vector<std::string> positional;
  };
  // Reads args[first], args[first + 1], ...; options set and values taken in
  // the order given.
  Reading Read(const std::vector<std::string>& args, std::size_t first = 1) const;

 private:
  struct Option {
    std::vector<std::string> names;
    bool* on = nullptr;  // a flag; otherwise `take` gets the value
    ValueTaker take;
    std::string missing;
  };
  const Option* Find(const std::string& word) const;
  bool IsOptionWord(const std::string& word) const;

  HelpRule help_;
  OptionWords words_;
  std::vector<Option> options_;
  std::function<std::string(const std::string&)> unknown_;
};

}  // namespace platform
