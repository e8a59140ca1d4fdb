#pragma once
// A host for tests: records every message, answers questions from a script,
// and can run an action from inside the run (as a click between records).
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "vantor/host.h"

namespace vantor::testing {

class FakeHost : public Host {
 public:
  MessageAnswer ShowMessage(const Message& message) override {
    messages.push_back(message);
    if (message.buttons == MessageButtons::kOk) return MessageAnswer::kOk;
    if (answers.empty()) return MessageAnswer::kYes;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void SetStatusText(const std::string& text) override { status.push_back(text); }
  void SetProgress(int value) override { run_progress.push_back(value); }
  void SetAnalysisProgress(int value) override { analysis_progress.push_back(value); }
  void SetAnalysisLabels(const AnalysisLabels& labels) override { label_sets.push_back(labels); }
  void PumpEvents() override {
    ++pumps;
    if (on_pump) on_pump(pumps);
  }

  std::vector<Message> messages;
  std::deque<MessageAnswer> answers;
  std::vector<std::string> status;
  std::vector<int> run_progress;
  std::vector<int> analysis_progress;
  std::vector<AnalysisLabels> label_sets;
  int pumps = 0;
  std::function<void(int)> on_pump;
};

}  // namespace vantor::testing
