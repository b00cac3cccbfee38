// Dialogs for a run without a display: every box is printed, and answered with the answer a script
// queued for it, or else with the button that sends nothing (No, Cancel, or OK where that is the
// only one); a file dialog takes the path queued for it, or else is cancelled.
#pragma once

#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "platform/dialogs.h"

namespace zelkon {

class HeadlessDialogs final : public Dialogs {
 public:
  explicit HeadlessDialogs(std::ostream& out) : out_(out) {}
  Answer MessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                    Icon icon) override;
  // Printed as one line too, the detail after the text: "... | DETAIL -> OK".
  Answer MessageBoxWithDetail(const std::string& text, const std::string& detail,
                              const std::string& caption, Buttons buttons, Icon icon) override;
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;

  // The answer of the next message box. A box whose buttons do not include it takes the button
  // that sends nothing, and the mismatch is kept for TakeMisfit.
  void QueueAnswer(Answer answer) { answers_.push_back(answer); }
  // The path the next file dialog chooses.
  void QueueFile(std::string path) { files_.push_back(std::move(path)); }
  // Answers and paths queued and not yet taken.
  size_t Unused() const { return answers_.size() + files_.size(); }
  // What went wrong with the last queued answer that did not fit its box, once.
  std::optional<std::string> TakeMisfit() { return std::exchange(misfit_, std::nullopt); }

 private:
  std::ostream& out_;
  std::deque<Answer> answers_;
  std::deque<std::string> files_;
  std::optional<std::string> misfit_;
};

// The answer that sends nothing: No for Yes/No, Cancel for OK/Cancel, OK for OK alone.
Answer SafeAnswer(Buttons buttons);
// "OK", "Cancel", "Yes", "No", "Abort", "Retry", "Ignore".
const char* AnswerText(Answer answer);

}  // namespace zelkon
