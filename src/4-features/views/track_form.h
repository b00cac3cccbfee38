// TForm_Track: one row per receiver channel, the satellites of the fix and the dilutions of
// precision.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_Track final : public Form {
 public:
  TForm_Track() : Form("TForm_Track", "Tracking Status") {}

  ControlArray<Panel, 12> Panel_TS{*this, "Panel_TS", 1,
                                   Design().Hint("Tracking Status: Packet 3C, 5C")};
  Panel Panel_SVSel{*this, "Panel_SVSel", Design().Hint("SV Selection: Packet 24, 6D")};
  Panel Panel_PDOP{*this, "Panel_PDOP", Design().Hint("SV Selection: Packet 24, 6D")};
  Panel Panel_HDOP{*this, "Panel_HDOP", Design().Hint("SV Selection: Packet 24, 6D")};
  Panel Panel_VDOP{*this, "Panel_VDOP", Design().Hint("SV Selection: Packet 24, 6D")};
  Panel Panel_TDOP{*this, "Panel_TDOP", Design().Hint("SV Selection: Packet 24, 6D")};
};

}  // namespace zelkon
