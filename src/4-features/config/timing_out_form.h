// TForm_TimingOut: the PPS output settings. The receiver type enables or disables the output
// option and width controls.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_TimingOut final : public Form {
 public:
  TForm_TimingOut() : Form("TForm_TimingOut", "Timing Outputs") {}

  Label Label_OutputOptions{*this, "Label_OutputOptions", Design().Text("Output Options:")};
  RadioButton RadioButton_Always{*this, "RadioButton_Always",
                                 Design().Text("Always").Group("output")};
  RadioButton RadioButton_1SV{
      *this, "RadioButton_1SV",
      Design().Text("When tracking at least one satellite").Group("output")};
  RadioButton RadioButton_3SV{
      *this, "RadioButton_3SV",
      Design().Text("When tracking at least three satellites").Group("output")};
  CheckBox CheckBox_EvenSecond{*this, "CheckBox_EvenSecond", Design().Text("Even Second Only")};
  Button Button_SetOutput{*this, "Button_SetOutput", Design().Text("&Set &Output")};

  Label Label_Width{*this, "Label_Width", Design().Text("PPS Width:")};
  Edit Edit_Width{*this, "Edit_Width"};
  Label Label_Seconds{*this, "Label_Seconds", Design().Text("seconds")};
  Button Button_Width{*this, "Button_Width", Design().Text("Set &Width")};
};

}  // namespace zelkon
