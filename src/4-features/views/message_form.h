// TForm_Message: the message log, a text pad the events of the run are written into, each line with
// its time: the port and the receiver lost and back, alarms, the time, the commands the operator
// sent, the fatal reports, the segment status and the reset diagnostics.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_Message final : public Form {
 public:
  TForm_Message() : Form("TForm_Message", "Message") {}

  // The operator may type into it too; appended text always goes to the end.
  Memo Memo_Pad{*this, "Memo_Pad"};
  Button Button_Clear{*this, "Button_Clear", Design().Text("Clear")};
  Button Button_SaveAs{*this, "Button_SaveAs",
                       Design().Text("Save as...").Hint("Writes the lines shown to a text file")};
  Button Button_Close{*this, "Button_Close", Design().Text("Close")};
};

}  // namespace zelkon
