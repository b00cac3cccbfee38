// Dialogs for a run without a display: every box is printed, and answered with the button that
// sends nothing (No, Cancel, or OK where that is the only one); file dialogs are cancelled.
#pragma once

#include <ostream>

#include "platform/dialogs.h"

namespace zelkon {

class HeadlessDialogs final : public Dialogs {
 public:
  explicit HeadlessDialogs(std::ostream& out) : out_(out) {}
  Answer MessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                    Icon icon) override;
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override;

 private:
  std::ostream& out_;
};

// The answer that sends nothing: No for Yes/No, Cancel for OK/Cancel, OK for OK alone.
Answer SafeAnswer(Buttons buttons);

}  // namespace zelkon
