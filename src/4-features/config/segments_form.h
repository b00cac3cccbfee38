// The configuration segment windows: TForm_Default reverts one segment (or all) to the factory
// defaults (0x8E-45); TForm_EEPROM shows which segments the receiver found corrupted and set to
// default (0x3F-11, answered by 0x5F-11).
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_Default final : public Form {
 public:
  TForm_Default()
      : Form("TForm_Default", "Revert to Default Settings", "Default Segment: Packet 8E-45") {}

  // The list always has a selection: the first entry is chosen at creation.
  ComboBox ComboBox_Segment{
      *this, "ComboBox_Segment",
      Design()
          .Items({"Receiver Configuration", "Packet I/O Control", "Serial Port Configuration",
                  "Timing Outputs", "Accurate Position", "Self-Survey Configuration",
                  "NMEA Configuration", "UTC Info", "ALL SEGMENTS"})
          .ItemIndex(0)};
  Button Button_OK{*this, "Button_OK", Design().Text("&OK")};
  Button Button_Apply{*this, "Button_Apply", Design().Text("&Apply")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

class TForm_EEPROM final : public Form {
 public:
  TForm_EEPROM()
      : Form("TForm_EEPROM", "EEPROM Status", "EEPROM Segment Status: Packets 3F/5F-11") {}

  // One lamp per segment, named after its bit in the status word; grey until the status arrives.
  Shape Shape_Bit0{*this, "Shape_Bit0", Lamp()};
  Shape Shape_Bit1{*this, "Shape_Bit1", Lamp()};
  Shape Shape_Bit2{*this, "Shape_Bit2", Lamp()};
  Shape Shape_Bit3{*this, "Shape_Bit3", Lamp()};
  Shape Shape_Bit4{*this, "Shape_Bit4", Lamp()};
  Shape Shape_Bit5{*this, "Shape_Bit5", Lamp()};
  Shape Shape_Bit6{*this, "Shape_Bit6", Lamp()};
  Shape Shape_Bit7{*this, "Shape_Bit7", Lamp()};
  Shape Shape_Bit8{*this, "Shape_Bit8", Lamp()};
  Shape Shape_Bit11{*this, "Shape_Bit11", Lamp()};
  Button Button_Refresh{*this, "Button_Refresh", Design().Text("&Refresh")};

 private:
  static Design Lamp() {
    return Design().Color(colours::kGrey).Hint("When yellow, segment corrupted and set to default");
  }
};

}  // namespace zelkon
