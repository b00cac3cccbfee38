// TForm_NMEA: the NMEA output interval and sentence mask, read with the 0x7A query (answered by
// 0x7B) and set with the 0x7A set form.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_NMEA final : public Form {
 public:
  TForm_NMEA() : Form("TForm_NMEA", "NMEA Output", "NMEA Output: Packets 0x7A, 0x7B") {}

  Edit Edit_Interval{*this, "Edit_Interval"};
  CheckBox CheckBox_GGA{*this, "CheckBox_GGA", Design().Text("GGA")};
  CheckBox CheckBox_GLL{*this, "CheckBox_GLL", Design().Text("GLL")};
  CheckBox CheckBox_VTG{*this, "CheckBox_VTG", Design().Text("VTG")};
  CheckBox CheckBox_GSV{*this, "CheckBox_GSV", Design().Text("GSV")};
  CheckBox CheckBox_GSA{*this, "CheckBox_GSA", Design().Text("GSA")};
  CheckBox CheckBox_ZDA{*this, "CheckBox_ZDA", Design().Text("ZDA")};
  CheckBox CheckBox_RMC{*this, "CheckBox_RMC", Design().Text("RMC")};
  Button Button_OK{*this, "Button_OK", Design().Text("&OK")};
  Button Button_Apply{*this, "Button_Apply", Design().Text("&Apply")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

}  // namespace zelkon
