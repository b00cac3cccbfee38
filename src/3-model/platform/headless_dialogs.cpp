#include "platform/headless_dialogs.h"

namespace zelkon {
namespace {

const char* AnswerText(Answer answer) {
  switch (answer) {
    case Answer::Ok:
      return "OK";
    case Answer::Cancel:
      return "Cancel";
    case Answer::Yes:
      return "Yes";
    case Answer::No:
      return "No";
  }
  return "?";
}

}  // namespace

Answer SafeAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::YesNo:
      return Answer::No;
    case Buttons::OkCancel:
      return Answer::Cancel;
    case Buttons::Ok:
      break;
  }
  return Answer::Ok;
}

Answer HeadlessDialogs::MessageBox(const std::string& text, const std::string& caption,
                                   Buttons buttons, Icon /*icon*/) {
  const Answer answer = SafeAnswer(buttons);
  // One line per box: line feeds inside the text are shown as " | ".
  std::string oneLine;
  for (char c : text) {
    if (c == '\n') {
      oneLine += " | ";
    } else if (c != '\r') {
      oneLine += c;
    }
  }
  out_ << "message box \"" << caption << "\": " << oneLine << " -> " << AnswerText(answer)
       << std::endl;
  return answer;
}

std::optional<std::string> HeadlessDialogs::OpenFile(const FileDialogRequest& request) {
  out_ << "file dialog (" << request.filter << ") -> Cancel" << std::endl;
  return std::nullopt;
}

}  // namespace zelkon
