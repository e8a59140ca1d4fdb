#pragma once
// A host for core tests: records every message, answers questions from a
// script (Yes once the script is used up) and remembers what was shown.
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "cdrgen/bytes.h"
#include "ostrel/host.h"

namespace ostrel::test {

class ScriptedHost : public Host {
 public:
  MessageAnswer ShowMessage(const Message& message) override {
    shown.push_back(message);
    if (message.buttons == MessageButtons::kOk) return MessageAnswer::kOk;
    if (answers.empty()) return MessageAnswer::kYes;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void SetProgress(int percent) override { progress.push_back(percent); }
  void SetStatusText(const std::string& text) override { labels.push_back(text); }
  void SetBusy(bool value) override { busy = value; }
  void PumpEvents() override {
    ++pumps;
    if (stop_after_pumps > 0 && pumps >= stop_after_pumps) stop = true;
  }
  bool StopRequested() override { return stop; }

  std::vector<Message> shown;
  std::deque<MessageAnswer> answers;
  std::vector<int> progress;
  std::vector<std::string> labels;
  bool busy = false;
  int pumps = 0;
  int stop_after_pumps = 0;
  bool stop = false;
};

// A fresh folder under the system's temp folder, removed with the object.
class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("ostrel_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }
  std::string Write(const std::string& name, const cdrgen::Bytes& bytes) const {
    cdrgen::WriteFile(path_ / name, bytes);
    return (path_ / name).string();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace ostrel::test
