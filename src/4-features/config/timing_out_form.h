// TForm_TimingOut: the PPS output in three groups, each set on its own: the characteristics
// (0x8E-4A), the output option (0x8E-4E) and the pulse width (0x8E-4F). The receiver type enables
// or disables the output option and width controls.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_TimingOut final : public Form {
 public:
  TForm_TimingOut() : Form("TForm_TimingOut", "Timing Outputs") {}

  ComboBox ComboBox_Switch{*this, "ComboBox_Switch", Design().Items({"Disabled", "Enabled"})};
  ComboBox ComboBox_TimeBase{*this, "ComboBox_TimeBase", Design().Items({"GPS", "UTC"})};
  ComboBox ComboBox_Polarity{*this, "ComboBox_Polarity", Design().Items({"Positive", "Negative"})};
  Edit Edit_Offset{*this, "Edit_Offset"};
  Edit Edit_Bias{*this, "Edit_Bias"};
  Button Button_SetChar{*this, "Button_SetChar", Design().Text("&Set Characteristics")};

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

  // A group panel, not a value field: button face like the window around it.
  Panel Panel_Width{
      *this, "Panel_Width",
      Design().Color(colours::kButtonFace).Hint("PPS Width: Packet 8E/8F-4F (Tempavo 2000 only)")};
  Label Label_Width{*this, "Label_Width", Design().Text("PPS Width:")};
  Edit Edit_Width{*this, "Edit_Width"};
  Label Label_Seconds{*this, "Label_Seconds", Design().Text("seconds")};
  Button Button_Width{*this, "Button_Width", Design().Text("Set &Width")};

  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

}  // namespace zelkon
