// TForm_PacketMasks: the I/O options (0x35: which position and velocity reports, precision, geoid,
// fix timing, auxiliary data) and the packet broadcast mask (0x8E-A5), each set on its own. The
// receiver type enables or disables the broadcast-mask controls.
#pragma once

#include <array>

#include "model/form.h"

namespace zelkon {

class TForm_PacketMasks final : public Form {
 public:
  TForm_PacketMasks() : Form("TForm_PacketMasks", "Packet Masks and Options") {}

  // The I/O options, byte by byte. The two position boxes are re-captioned by the double-precision
  // state; until then the LLA box shows its design caption.
  CheckBox CheckBox_PosXYZ{*this, "CheckBox_PosXYZ", Design().Text("Output XYZ ECEF (Packet 42)")};
  CheckBox CheckBox_PosLLA{*this, "CheckBox_PosLLA", Design().Text("Ouput LLA (Packet 4A)")};
  CheckBox CheckBox_OutputMSL{*this, "CheckBox_OutputMSL", Design().Text("LLA Output MSL geoid")};
  CheckBox CheckBox_InputMSL{*this, "CheckBox_InputMSL", Design().Text("LLA Input MSL geoid")};
  CheckBox CheckBox_PosDouble{*this, "CheckBox_PosDouble", Design().Text("Double-Precision")};
  CheckBox CheckBox_Pos8F20{*this, "CheckBox_Pos8F20", Design().Text("Output 8F-20")};
  CheckBox CheckBox_VelXYZ{*this, "CheckBox_VelXYZ", Design().Text("Output XYZ ECEF (Packet 43)")};
  CheckBox CheckBox_VelENU{*this, "CheckBox_VelENU", Design().Text("Output ENU (Packet 56)")};
  CheckBox CheckBox_TimeType{*this, "CheckBox_TimeType",
                             Design().Text("Position fix time tags in UTC")};
  CheckBox CheckBox_TimeCompute{*this, "CheckBox_TimeCompute",
                                Design().Text("Compute fix on integer second")};
  CheckBox CheckBox_TimeOutput{*this, "CheckBox_TimeOutput",
                               Design().Text("Output fix on request only")};
  CheckBox CheckBox_TimeSynch{*this, "CheckBox_TimeSynch",
                              Design().Text("Synchronize measurements")};
  CheckBox CheckBox_TimeMinimize{*this, "CheckBox_TimeMinimize",
                                 Design().Text("Minimize projections")};
  CheckBox CheckBox_AuxRaw{*this, "CheckBox_AuxRaw", Design().Text("Raw measurements (Packet 5A)")};
  CheckBox CheckBox_AuxDoppler{*this, "CheckBox_AuxDoppler",
                               Design().Text("Doppler smoothed codephase")};
  CheckBox CheckBox_dBc_Hz{*this, "CheckBox_dBc_Hz",
                           Design().Text("Output signal level in dBc/Hz")};
  Button Button_Set35{*this, "Button_Set35", Design().Text("Set")};

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

  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};

  std::array<CheckBox*, 12> MaskBoxes() {
    return {&CheckBox_B1Bit0, &CheckBox_B1Bit1, &CheckBox_B1Bit2, &CheckBox_B1Bit3,
            &CheckBox_B1Bit4, &CheckBox_B1Bit5, &CheckBox_B1Bit6, &CheckBox_B1Bit7,
            &CheckBox_B2Bit0, &CheckBox_B2Bit5, &CheckBox_B2Bit6, &CheckBox_B2Bit7};
  }
};

}  // namespace zelkon
