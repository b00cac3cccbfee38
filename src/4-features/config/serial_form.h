// TForm_Serial: the settings of the receiver's two serial ports.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_Serial final : public Form {
 public:
  TForm_Serial()
      : Form("TForm_Serial", "Serial Port Configuration",
             "Serial Port Configuration: Packet 0xBC") {}

  Label Label_A{*this, "Label_A", Design().Text("Port A:")};
  Label Label_PortAOutput{*this, "Label_PortAOutput", Design().Text("Output Protocol")};
  ComboBox ComboBox_PortAOutput{*this, "ComboBox_PortAOutput",
                                Design().Items({"none", "RXBIN", "NMEA"})};
  Label Label_B{*this, "Label_B", Design().Text("Port B:")};
  Label Label_PortBOutput{*this, "Label_PortBOutput", Design().Text("Output Protocol")};
  ComboBox ComboBox_PortBOutput{*this, "ComboBox_PortBOutput", Design().Items({"RXBIN", "NMEA"})};
  Button Button_SetA{*this, "Button_SetA", Design().Text("Set Port &A")};
  Button Button_SetB{*this, "Button_SetB", Design().Text("Set Port &B")};
};

}  // namespace zelkon
