// TForm_RawMeas: the raw measurement of the satellite whose tab is shown.
#pragma once

#include <string>
#include <vector>

#include "model/form.h"

namespace zelkon {

// "1" .. "32": the items of the satellite selectors, made once.
const ItemList& SatelliteNumbers();

class TForm_RawMeas final : public Form {
 public:
  TForm_RawMeas()
      : Form("TForm_RawMeas", "Raw Measurement Data", "Raw Measurement Data: Packet 0x5A") {}

  TabControl TabControl_SV{*this, "TabControl_SV", Design().Items(SatelliteNumbers()).ItemIndex(0)};
  Panel Panel_SampleLen{*this, "Panel_SampleLen"};
  Panel Panel_SignalLevel{*this, "Panel_SignalLevel"};
  Panel Panel_CodePhase{*this, "Panel_CodePhase"};
  Panel Panel_Doppler{*this, "Panel_Doppler"};
  Panel Panel_Time{*this, "Panel_Time"};
  Button Button_Refresh{*this, "Button_Refresh", Design().Text("&Refresh")};
};

}  // namespace zelkon
