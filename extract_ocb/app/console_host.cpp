#include "console_host.h"

#include <istream>
#include <ostream>

namespace ostrel {

namespace {
bool IsYes(std::string answer) {
  for (char& c : answer) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return answer == "y" || answer == "yes";
}
}  // namespace

MessageAnswer ConsoleHost::ShowMessage(const Message& message) {
  progress_.Finish();
  const bool error = message.icon == MessageIcon::kError;
  if (error) saw_error_ = true;
  if (message.buttons == MessageButtons::kOk) {
    if (error) {
      err_ << "ostrel: " << message.text << '\n' << std::flush;
    } else if (!options_.quiet) {
      err_ << message.text << '\n' << std::flush;
    }
    return MessageAnswer::kOk;
  }
  if (options_.ask_terminal) {
    err_ << message.text << " [y/N] " << std::flush;
    std::string line;
    std::getline(in_, line);
    return IsYes(line) ? MessageAnswer::kYes : MessageAnswer::kNo;
  }
  const MessageAnswer answer = options_.stop_on_error ? MessageAnswer::kNo : MessageAnswer::kYes;
  if (!options_.quiet) {
    err_ << "ostrel: " << message.text << (answer == MessageAnswer::kYes ? " Yes" : " No") << '\n'
         << std::flush;
  }
  return answer;
}

void ConsoleHost::SetProgress(int percent) {
  if (!label_.empty()) progress_.Show(label_, percent);
}

}  // namespace ostrel
