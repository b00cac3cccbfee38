// TForm_UTCParam: the GPS to UTC correction parameters.
#pragma once

#include <array>

#include "model/form.h"

namespace zelkon {

class TForm_UTCParam final : public Form {
 public:
  TForm_UTCParam() : Form("TForm_UTCParam", "UTC Parameters", "UTC Parameters: Packet 0x4F") {}

  Panel Panel_A0{*this, "Panel_A0"};
  Panel Panel_A1{*this, "Panel_A1"};
  Panel Panel_AETls{*this, "Panel_AETls"};
  Panel Panel_Tot{*this, "Panel_Tot"};
  Panel Panel_WNt{*this, "Panel_WNt"};
  Panel Panel_WNlsf{*this, "Panel_WNlsf"};
  Panel Panel_DN{*this, "Panel_DN"};
  Panel Panel_AETlsf{*this, "Panel_AETlsf"};
  Button Button_Query{*this, "Button_Query", Design().Text("&Refresh")};

  // The eight values, top to bottom.
  std::array<Panel*, 8> ValuePanels() {
    return {&Panel_A0,  &Panel_A1,    &Panel_AETls, &Panel_Tot,
            &Panel_WNt, &Panel_WNlsf, &Panel_DN,    &Panel_AETlsf};
  }
};

}  // namespace zelkon
