// TForm_SVNum: the satellite the receiver uses in its one-satellite time-only mode, set with 0x34.
// The receiver does not report it back: the list shows what the operator chose last.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_SVNum final : public Form {
 public:
  TForm_SVNum() : Form("TForm_SVNum", "One-Satellite SV", "One SV Mode: Packet 0x34") {}

  // An item's position is the number it shows; 0 lets the receiver take the highest satellite.
  ComboBox ComboBox_SVNum{
      *this, "ComboBox_SVNum",
      Design().Items({"0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10",
                      "11", "12", "13", "14", "15", "16", "17", "18", "19", "20", "21",
                      "22", "23", "24", "25", "26", "27", "28", "29", "30", "31", "32"})};
  Button Button_OK{*this, "Button_OK", Design().Text("&OK")};
  Button Button_Apply{*this, "Button_Apply", Design().Text("&Apply")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

}  // namespace zelkon
