#include "app/batch_host.h"

#include "platform/interrupt.h"

namespace lomtra {

std::string OneLine(const std::string& text) {
  std::string line;
  bool in_break = false;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      in_break = true;
      continue;
    }
    if (in_break && !line.empty() && line.back() != ' ') line.push_back(' ');
    in_break = false;
    line.push_back(c);
  }
  return line;
}

void BatchHost::Line(const std::string& text) {
  progress_.Finish();
  err_ << OneLine(text) << '\n';
  err_.flush();
}

void BatchHost::Error(const std::string& text) {
  ++errors_;
  Line(text);
}

void BatchHost::Note(const std::string& text) {
  if (!quiet_) Line(text);
}

MessageAnswer BatchHost::ShowMessage(const Message& message) {
  if (message.buttons == MessageButtons::kYesNo) {
    const bool yes = !stop_on_error_;
    Note(message.text + (yes ? " Yes" : " No"));
    return yes ? MessageAnswer::kYes : MessageAnswer::kNo;
  }
  if (message.icon == MessageIcon::kError) {
    Error(message.text);
  } else {
    Note(message.text);
  }
  return MessageAnswer::kOk;
}

void BatchHost::PumpEvents() {
  if (state_ != nullptr && platform::InterruptRequested()) state_->stop_requested = true;
}

bool BatchHost::AskStop() {
  if (platform::InterruptRequested()) return true;
  return Host::AskStop();
}

void BatchHost::SetProgress(int value) {
  progress_value_ = value;
  progress_.Show(status_, value);
}

void BatchHost::SetStatusPanel(StatusPanel panel, const std::string& text) {
  if (panel == StatusPanel::kStatusText) {
    status_ = text;
    return;
  }
  if (text.empty()) return;  // the panels being cleared
  switch (panel) {
    case StatusPanel::kValidFiles:
      Note("Total Valid Data Files: " + text);
      break;
    case StatusPanel::kValidSize:
      Note("Total Valid Data File Size: " + text);
      break;
    case StatusPanel::kRecords:
      Note("Total Records: " + text);
      break;
    default:
      break;
  }
}

}  // namespace lomtra
