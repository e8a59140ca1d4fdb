#pragma once
// Message boxes with an exact text, title, icon and buttons, behind an
// interface so that tests can read every message and choose the answer.
#include <QString>
#include <deque>
#include <vector>

#include "platform/message.h"

class QWidget;

namespace platform::ui {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

struct Message {
  QString text;
  QString title;
  MessageIcon icon = MessageIcon::kNone;
  MessageButtons buttons = MessageButtons::kOk;
};

class MessageService {
 public:
  virtual ~MessageService() = default;
  virtual MessageAnswer Show(const Message& message) = 0;
};

// Real message boxes (QMessageBox), modal over `parent`.
class BoxMessageService : public MessageService {
 public:
  explicit BoxMessageService(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  MessageAnswer Show(const Message& message) override;

 private:
  QWidget* parent_;
};

// For tests: records every message and answers from a script; when the
// script is used up, questions get `default_answer` and OK boxes get OK.
class ScriptedMessageService : public MessageService {
 public:
  MessageAnswer Show(const Message& message) override;

  std::vector<Message> shown;
  std::deque<MessageAnswer> answers;
  MessageAnswer default_answer = MessageAnswer::kYes;
};

// Shows a message made by a program's core; an empty title stands for
// `program_title`.
MessageAnswer ShowMessage(MessageService& service, const platform::Message& message,
                          const QString& program_title);

}  // namespace platform::ui
