// TForm_AlmanacData: the almanac of the satellite chosen in the list.
#pragma once

#include <array>

#include "model/form.h"
#include "views/raw_meas_form.h"

namespace zelkon {

class TForm_AlmanacData final : public Form {
 public:
  TForm_AlmanacData() : Form("TForm_AlmanacData", "Almanac Data", "Almanac Data: Packet 0x40") {}

  ComboBox ComboBox_SV{*this, "ComboBox_SV", Design().Items(SatelliteNumbers()).ItemIndex(0)};
  Button Button_Query{*this, "Button_Query", Design().Text("&Refresh")};
  Panel Panel_T_zc{*this, "Panel_T_zc"};
  Panel Panel_WeekNum{*this, "Panel_WeekNum"};
  Panel Panel_Eccentricity{*this, "Panel_Eccentricity"};
  Panel Panel_T_oa{*this, "Panel_T_oa"};
  Panel Panel_i_o{*this, "Panel_i_o"};
  Panel Panel_OMEGA_dot{*this, "Panel_OMEGA_dot"};
  Panel Panel_SqRootA{*this, "Panel_SqRootA"};
  Panel Panel_OMEGAo{*this, "Panel_OMEGAo"};
  Panel Panel_Omega{*this, "Panel_Omega"};
  Panel Panel_Mo{*this, "Panel_Mo"};

  // The ten values, top to bottom.
  std::array<Panel*, 10> ValuePanels() {
    return {&Panel_T_zc,      &Panel_WeekNum, &Panel_Eccentricity, &Panel_T_oa,  &Panel_i_o,
            &Panel_OMEGA_dot, &Panel_SqRootA, &Panel_OMEGAo,       &Panel_Omega, &Panel_Mo};
  }
};

}  // namespace zelkon
