// TForm_InitialTime: sends the PC clock to the receiver as its initial time and shows whether the
// receiver took it.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_InitialTime final : public Form {
 public:
  TForm_InitialTime()
      : Form("TForm_InitialTime", "Time From PC", "Set Initial Time: Packets 0x2E, 0x4E.") {}

  Shape Shape_TimeAccepted{*this, "Shape_TimeAccepted",
                           Design()
                               .Color(colours::kGrey)
                               .Hint("When red, the receiver already had time from a sattelite "
                                     "and uses that time.")};
  Label Label4{
      *this, "Label4",
      Design().Text("Time Accepted by Receiver").Hint("When red, the receiver already has time.")};
  Button Button_SetTime{*this, "Button_SetTime", Design().Text("&Set Time")};
  Button Button_Cancel{*this, "Button_Cancel", Design().Text("&Close")};
};

}  // namespace zelkon
