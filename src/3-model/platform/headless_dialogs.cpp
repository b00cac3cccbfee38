#include "platform/headless_dialogs.h"

#include <utility>

namespace zelkon {
namespace {

bool Offers(Buttons buttons, Answer answer) {
  switch (buttons) {
    case Buttons::Ok:
      return answer == Answer::Ok;
    case Buttons::OkCancel:
      return answer == Answer::Ok || answer == Answer::Cancel;
    case Buttons::YesNo:
      return answer == Answer::Yes || answer == Answer::No;
  }
  return false;
}

const char* ButtonsText(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return "OK";
    case Buttons::OkCancel:
      return "OK, Cancel";
    case Buttons::YesNo:
      return "Yes, No";
  }
  return "?";
}

}  // namespace

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
    case Answer::Abort:
      return "Abort";
    case Answer::Retry:
      return "Retry";
    case Answer::Ignore:
      return "Ignore";
  }
  return "?";
}

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
                                   Buttons buttons, Icon icon) {
  return MessageBoxWithDetail(text, "", caption, buttons, icon);
}

Answer HeadlessDialogs::MessageBoxWithDetail(const std::string& text, const std::string& detail,
                                             const std::string& caption, Buttons buttons,
                                             Icon /*icon*/) {
  Answer answer = SafeAnswer(buttons);
  if (!answers_.empty()) {
    const Answer queued = answers_.front();
    answers_.pop_front();
    if (Offers(buttons, queued)) {
      answer = queued;
    } else {
      misfit_ = std::string("the answer ") + AnswerText(queued) + " does not fit the box \"" +
                caption + "\" (" + ButtonsText(buttons) + ")";
    }
  }
  // One line per box: line feeds inside the text are shown as " | ".
  std::string oneLine;
  for (char c : detail.empty() ? text : text + "\n" + detail) {
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

std::optional<std::string> HeadlessDialogs::ChooseFile(const FileDialogRequest& request) {
  if (files_.empty()) {
    out_ << "file dialog (" << request.filter << ") -> Cancel" << std::endl;
    return std::nullopt;
  }
  std::string path = std::move(files_.front());
  files_.pop_front();
  out_ << "file dialog (" << request.filter << ") -> " << path << std::endl;
  return path;
}

}  // namespace zelkon
