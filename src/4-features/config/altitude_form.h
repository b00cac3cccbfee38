// TForm_Altitude: the altitude for 2D fixes.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_Altitude final : public Form {
 public:
  TForm_Altitude() : Form("TForm_Altitude", "2D Altitude", "Altitude for 2D Mode: Packet 0x2A") {}

  RadioButton RadioButton_Set{*this, "RadioButton_Set",
                              Design().Text("Set Altitude").Group("mode").Checked()};
  RadioButton RadioButton_Cancel{*this, "RadioButton_Cancel",
                                 Design().Text("Cancel Altitude Set Mode").Group("mode")};
  Edit Edit_Altitude{*this, "Edit_Altitude", Design().Text("0.0")};
  Button Button_Set{*this, "Button_Set", Design().Text("&Set")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

}  // namespace zelkon
