#include "platform/command_line.h"

namespace platform {
namespace {

bool IsHelpWord(const std::string& word) {
  return word == "--help" || word == "-h";
}

}  // namespace

std::string UsageErrorText(const std::string& program, const std::string& problem,
                           const std::string& usage) {
  return program + ": " + problem + "\n" + usage;
}

FirstWord ReadFirstWord(const std::vector<std::string>& args,
                        std::initializer_list<const char*> commands) {
  if (args.empty()) return FirstWord::kNone;
  const std::string& word = args[0];
  if (IsHelpWord(word)) return FirstWord::kHelp;
  if (word == "--version") return FirstWord::kVersion;
  for (const char* command : commands)
    if (word == command) return FirstWord::kCommand;
  return FirstWord::kUnknown;
}

void CommandOptions::Flag(std::initializer_list<const char*> names, bool* on) {
  options_.push_back({{names.begin(), names.end()}, on, {}, {}});
}

void CommandOptions::Value(std::initializer_list<const char*> names, ValueTaker take,
                           std::string missing) {
  options_.push_back({{names.begin(), names.end()}, nullptr, std::move(take), std::move(missing)});
}

void CommandOptions::Value(std::initializer_list<const char*> names, std::string* into,
                           std::string missing) {
  Value(
      names,
      [into](const std::string&, const std::string& value) {
        *into = value;
        return std::string();
      },
      std::move(missing));
}

const CommandOptions::Option* CommandOptions::Find(const std::string& word) const {
  for (const Option& option : options_)
    for (const std::string& name : option.names)
      if (word == name) return &option;
  return nullptr;
}

bool CommandOptions::IsOptionWord(const std::string& word) const {
  if (words_ == OptionWords::kDoubleDashed) return word.size() > 2 && word.rfind("--", 0) == 0;
  return word.size() > 1 && word[0] == '-';
}

CommandOptions::Reading CommandOptions::Read(const std::vector<std::string>& args,
                                             std::size_t first) const {
  Reading reading;
  if (help_ == HelpRule::kBeforeEnd || help_ == HelpRule::kAnywhere) {
    for (std::size_t i = first; i < args.size(); ++i) {
      if (help_ == HelpRule::kBeforeEnd && args[i] == "--") break;
      if (IsHelpWord(args[i])) {
        reading.help = true;
        return reading;
      }
    }
  }
  bool options_done = false;
  for (std::size_t i = first; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (options_done) {
      reading.positional.push_back(word);
      continue;
    }
    if (word == "--") {
      options_done = true;
      continue;
    }
    if (IsHelpWord(word)) {
      reading.help = true;
      if (help_ == HelpRule::kInTurn) return reading;
      continue;
    }
    const Option* option = Find(word);
    if (option == nullptr) {
      if (!IsOptionWord(word)) {
        reading.positional.push_back(word);
        continue;
      }
      reading.error = unknown_ ? unknown_(word) : "unknown option " + word;
      return reading;
    }
    if (option->on != nullptr) {
      *option->on = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      reading.error = option->missing.empty() ? word + " needs a value" : option->missing;
      return reading;
    }
    reading.error = option->take(word, args[++i]);
    if (!reading.error.empty()) return reading;
  }
  return reading;
}

}  // namespace platform
