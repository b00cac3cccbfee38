// TForm_EphemStat: the ephemeris status of the satellite chosen in the list.
#pragma once

#include "model/form.h"
#include "views/raw_meas_form.h"

namespace zelkon {

class TForm_EphemStat final : public Form {
 public:
  TForm_EphemStat()
      : Form("TForm_EphemStat", "Satellite Ephemeris Status",
             "Satellite Ephemeris Status: Packet 0x5B") {}

  ComboBox ComboBox_SV{*this, "ComboBox_SV", Design().Items(SatelliteNumbers()).ItemIndex(0)};
  Button Button_Refresh{*this, "Button_Refresh", Design().Text("&Refresh")};
  Panel Panel_Time{*this, "Panel_Time"};
  Panel Panel_Health{*this, "Panel_Health"};
  Panel Panel_IODE{*this, "Panel_IODE"};
  Panel Panel_toe{*this, "Panel_toe"};
  Panel Panel_FitFlag{*this, "Panel_FitFlag"};
  Panel Panel_Accuracy{*this, "Panel_Accuracy"};
};

}  // namespace zelkon
