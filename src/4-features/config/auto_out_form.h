// TForm_AutoOut: the reports port B sends on its own, one box per bit of the automatic output
// mask, read and set with 0x8E-4D.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_AutoOut final : public Form {
 public:
  TForm_AutoOut()
      : Form("TForm_AutoOut", "Port B Automatic Output",
             "Port B Automatic Output Mask: Packet 8E/8F-4D") {}

  CheckBox CheckBox_Bit0{*this, "CheckBox_Bit0", Design().Text("Packet 40")};
  CheckBox CheckBox_Bit1{*this, "CheckBox_Bit1", Design().Text("Packets 58, 5B")};
  CheckBox CheckBox_Bit2{*this, "CheckBox_Bit2", Design().Text("Packet 4F")};
  CheckBox CheckBox_Bit3{*this, "CheckBox_Bit3", Design().Text("Packet 58")};
  CheckBox CheckBox_Bit4{*this, "CheckBox_Bit4", Design().Text("Packet 48")};
  CheckBox CheckBox_Bit5{*this, "CheckBox_Bit5", Design().Text("Packet 49")};
  CheckBox CheckBox_Bit8{*this, "CheckBox_Bit8", Design().Text("Packet 41")};
  CheckBox CheckBox_Bit11{*this, "CheckBox_Bit11", Design().Text("Packets 6D, 46, 4B, 82")};
  CheckBox CheckBox_Bit30{*this, "CheckBox_Bit30",
                          Design().Text("Packets 42, 43, 4A, 54, 56, 83, 84, 8F-20")};
  CheckBox CheckBox_Bit31{*this, "CheckBox_Bit31", Design().Text("Packet 5A")};
  Button Button_OK{*this, "Button_OK", Design().Text("&OK")};
  Button Button_Apply{*this, "Button_Apply", Design().Text("&Apply")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

}  // namespace zelkon
