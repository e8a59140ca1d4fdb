#include "platform/ui/message_service.h"

#include <QMessageBox>

namespace platform::ui {

MessageAnswer BoxMessageService::Show(const Message& message) {
  QMessageBox box(parent_);
  box.setText(message.text);
  box.setWindowTitle(message.title);
  switch (message.icon) {
    case MessageIcon::kNone:
      box.setIcon(QMessageBox::NoIcon);
      break;
    case MessageIcon::kInformation:
      box.setIcon(QMessageBox::Information);
      break;
    case MessageIcon::kQuestion:
      box.setIcon(QMessageBox::Question);
      break;
    case MessageIcon::kWarning:
      box.setIcon(QMessageBox::Warning);
      break;
    case MessageIcon::kError:
      box.setIcon(QMessageBox::Critical);
      break;
  }
  if (message.buttons == MessageButtons::kYesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? MessageAnswer::kYes : MessageAnswer::kNo;
  }
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return MessageAnswer::kOk;
}

MessageAnswer ScriptedMessageService::Show(const Message& message) {
  shown.push_back(message);
  if (message.buttons == MessageButtons::kOk) return MessageAnswer::kOk;
  if (answers.empty()) return default_answer;
  const MessageAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}

MessageAnswer ShowMessage(MessageService& service, const platform::Message& message,
                          const QString& program_title) {
  const QString title =
      message.title.empty() ? program_title : QString::fromStdString(message.title);
  return service.Show({QString::fromStdString(message.text), title, message.icon, message.buttons});
}

}  // namespace platform::ui
