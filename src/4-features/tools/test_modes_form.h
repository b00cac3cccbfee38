// TForm_Test: the engineering window that puts the receiver into its timing test modes (0x8E-A4): a
// user time from a typed week and time of week, or typed UTC parameters to exercise leap seconds.
// It sends commands only and shows no answer.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_Test final : public Form {
 public:
  TForm_Test() : Form("TForm_Test", "Timing Tests") {}

  // "User Time Mode".
  Edit Edit_Week{*this, "Edit_Week", Design().Text("950").Hint("Week Number: 0 - 1023")};
  Edit Edit_TOW{*this, "Edit_TOW", Design().Text("86390").Hint("Time of Week: 0 - 604799")};
  Button Button_SetWeek{*this, "Button_SetWeek", Design().Text("Set Time")};

  // "UTC Parameters".
  Edit Edit_WN_LSF{*this, "Edit_WN_LSF", Design().Text("950")};
  Edit Edit_DN{*this, "Edit_DN", Design().Text("1")};
  Edit Edit_t_LS{*this, "Edit_t_LS", Design().Text("9")};
  Edit Edit_t_LSF{*this, "Edit_t_LSF", Design().Text("10")};
  Edit Edit_A_0{*this, "Edit_A_0", Design().Text("0")};
  Edit Edit_A_1{*this, "Edit_A_1", Design().Text("0")};
  Edit Edit_WN_t{*this, "Edit_WN_t", Design().Text("0")};
  Edit Edit_t_ot{*this, "Edit_t_ot", Design().Text("0")};
  Button Button_SetUTC{*this, "Button_SetUTC", Design().Text("Set UTC  Info")};

  Button Button_EndTest{*this, "Button_EndTest",
                        Design().Text("Exit Test Mode").Hint("Exit Test Mode: Packet 8E-A4")};
  Button Button_Close{*this, "Button_Close", Design().Text("Close")};
};

}  // namespace zelkon
