// TForm_AlmHealth: the almanac health page, one value per satellite.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_AlmHealth final : public Form {
 public:
  TForm_AlmHealth()
      : Form("TForm_AlmHealth", "Almanac Health Page", "Almanac Health: Packet 0x49") {}

  // Panel_SV1 .. Panel_SV32: entry n - 1 is satellite n.
  ControlArray<Panel, 32> Panel_SV{*this, "Panel_SV", 1};
  Button Button_Query{*this, "Button_Query", Design().Text("&Refresh")};
};

}  // namespace zelkon
