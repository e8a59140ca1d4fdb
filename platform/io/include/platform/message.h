#pragma once
// A message to the user as a program's core makes it: exact text, title,
// icon and buttons. The windows show it in a message box, the command lines
// on stderr, the tests record it.
#include <string>

namespace platform {

enum class MessageIcon { kNone, kInformation, kQuestion, kWarning, kError };
enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo };

struct Message {
  std::string text;
  std::string title;  // empty: the program's own name
  MessageIcon icon = MessageIcon::kNone;
  MessageButtons buttons = MessageButtons::kOk;
};

}  // namespace platform
