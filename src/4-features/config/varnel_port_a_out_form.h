// TForm_VarnelPortAOut: when port A of the Varnel receiver sends the superpackets 0x8F-0B and
// 0x8F-AD, set with the 0x8E-0B and 0x8E-AD option forms and read back from the broadcast mask.
// Each panel is one group of four choices, one of them always chosen.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_VarnelPortAOut final : public Form {
 public:
  TForm_VarnelPortAOut() : Form("TForm_VarnelPortAOut", "Port A Output") {}

  // "Super Packet 8F-0B:", values 0 to 3 top to bottom.
  RadioButton RadioButton_Request0B{*this, "RadioButton_Request0B",
                                    Design().Text("Only Respond to 8E-0B").Group("0B")};
  RadioButton RadioButton_PPS0B{*this, "RadioButton_PPS0B",
                                Design().Text("Only At PPS").Group("0B")};
  RadioButton RadioButton_Event0B{*this, "RadioButton_Event0B",
                                  Design().Text("Only At Event Input").Group("0B")};
  RadioButton RadioButton_Both0B{
      *this, "RadioButton_Both0B",
      Design().Text("At Both Event Input and PPS").Group("0B").Checked()};

  // "Super Packet 8F-AD:", values 0 to 3 top to bottom.
  RadioButton RadioButton_RequestAD{*this, "RadioButton_RequestAD",
                                    Design().Text("Only Respond to 8E-AD").Group("AD")};
  RadioButton RadioButton_PPSAD{*this, "RadioButton_PPSAD",
                                Design().Text("Only At PPS").Group("AD")};
  RadioButton RadioButton_EventAD{*this, "RadioButton_EventAD",
                                  Design().Text("Only At Event Input").Group("AD")};
  RadioButton RadioButton_BothAD{
      *this, "RadioButton_BothAD",
      Design().Text("At Both Event Input and PPS").Group("AD").Checked()};

  Button Button_OK{*this, "Button_OK", Design().Text("&OK")};
  Button Button_Apply{*this, "Button_Apply", Design().Text("&Apply")};
  Button Button_Cancel{*this, "Button_Cancel", Design().Text("&Close")};
};

}  // namespace zelkon
