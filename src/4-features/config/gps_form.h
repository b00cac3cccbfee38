// TForm_GPS: the receiver's navigation configuration (receiver mode, DGPS mode, dynamics code and
// the masks), read and set with packet 0xBB.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_GPS final : public Form {
 public:
  TForm_GPS()
      : Form("TForm_GPS", "Receiver Configuration", "Receiver Configuration: Packet 0xBB") {}

  ComboBox ComboBox_RMode{*this, "ComboBox_RMode",
                          Design().Items({"Automatic", "Time Only (1 SV)", "--Not Used--",
                                          "Horizontal (2D)", "Full Position (3D)", "DGPS Reference",
                                          "2D Clock Hold", "Overdetermined Clock"})};
  ComboBox ComboBox_DCode{*this, "ComboBox_DCode",
                          Design().Items({"--Not Used--", "Land", "Sea", "Air", "Stationary"})};
  Edit Edit_EMask{*this, "Edit_EMask", Design().Text("-1")};
  Edit Edit_SMask{*this, "Edit_SMask", Design().Text("-1")};
  Edit Edit_PMask{*this, "Edit_PMask", Design().Text("-1")};
  Edit Edit_PSwitch{*this, "Edit_PSwitch", Design().Text("-1")};
  Edit Edit_DGPSAge{*this, "Edit_DGPSAge", Design().Text("-1")};
  ComboBox ComboBox_DGPSMode{*this, "ComboBox_DGPSMode", Design().Items({"Off", "On", "Auto"})};
  Button Button_OK{*this, "Button_OK", Design().Text("&OK")};
  Button Button_Apply{*this, "Button_Apply", Design().Text("&Apply")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

}  // namespace zelkon
