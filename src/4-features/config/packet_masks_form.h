// TForm_PacketMasks: I/O options and the packet broadcast mask. The receiver type enables or
// disables the broadcast-mask controls.
#pragma once

#include <array>

#include "model/form.h"

namespace zelkon {

class TForm_PacketMasks final : public Form {
 public:
  TForm_PacketMasks() : Form("TForm_PacketMasks", "Packet Masks and Options") {}

  Label Label_Masks{*this, "Label_Masks", Design().Text("Packet 8E-A5 Masks:")};
  CheckBox CheckBox_B1Bit0{*this, "CheckBox_B1Bit0", Design().Text("Synchronous 8F-0B on Port A")};
  CheckBox CheckBox_B1Bit1{*this, "CheckBox_B1Bit1", Design().Text("Event 8F-0B on Port A")};
  CheckBox CheckBox_B1Bit2{*this, "CheckBox_B1Bit2", Design().Text("Event 8F-0B on Port B")};
  CheckBox CheckBox_B1Bit3{*this, "CheckBox_B1Bit3", Design().Text("Synchronous 8F-0B on Port B")};
  CheckBox CheckBox_B1Bit4{*this, "CheckBox_B1Bit4", Design().Text("Synchronous 8F-AD on Port A")};
  CheckBox CheckBox_B1Bit5{*this, "CheckBox_B1Bit5", Design().Text("Event 8F-AD on Port A")};
  CheckBox CheckBox_B1Bit6{*this, "CheckBox_B1Bit6", Design().Text("Event 8F-AD on Port B")};
  CheckBox CheckBox_B1Bit7{*this, "CheckBox_B1Bit7", Design().Text("Synchronous 8F-AD on Port B")};
  CheckBox CheckBox_B2Bit0{*this, "CheckBox_B2Bit0", Design().Text("8F-20 on Port B")};
  CheckBox CheckBox_B2Bit5{*this, "CheckBox_B2Bit5", Design().Text("Auto RXBIN Outputs")};
  CheckBox CheckBox_B2Bit6{*this, "CheckBox_B2Bit6", Design().Text("8F-AB on Port A, Port B")};
  CheckBox CheckBox_B2Bit7{*this, "CheckBox_B2Bit7", Design().Text("8F-AC on Port A, Port B")};
  Button Button_Set8EA5{*this, "Button_Set8EA5", Design().Text("Set")};

  std::array<CheckBox*, 12> MaskBoxes() {
    return {&CheckBox_B1Bit0, &CheckBox_B1Bit1, &CheckBox_B1Bit2, &CheckBox_B1Bit3,
            &CheckBox_B1Bit4, &CheckBox_B1Bit5, &CheckBox_B1Bit6, &CheckBox_B1Bit7,
            &CheckBox_B2Bit0, &CheckBox_B2Bit5, &CheckBox_B2Bit6, &CheckBox_B2Bit7};
  }
};

}  // namespace zelkon
