// TForm_Serial: the settings of the receiver's two serial ports, read and set with packet 0xBC.
// The receiver type enables the port B output list and sets the port captions.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_Serial final : public Form {
 public:
  TForm_Serial()
      : Form("TForm_Serial", "Serial Port Configuration",
             "Serial Port Configuration: Packet 0xBC") {}

  Label Label_A{*this, "Label_A", Design().Text("Port A:")};
  ComboBox ComboBox_PortABaudRate{*this, "ComboBox_PortABaudRate",
                                  Design()
                                      .Items({"None", "110  ", "300", "600", "1200", "2400", "4800",
                                              "9600", "19200", "38400", "57600", "115200"})
                                      .Hint("Baud Rate")};
  ComboBox ComboBox_PortADataBits{*this, "ComboBox_PortADataBits",
                                  Design().Items({"7", "8"}).Hint("Numer of data bits")};
  ComboBox ComboBox_PortAParity{*this, "ComboBox_PortAParity",
                                Design().Items({"None", "Odd", "Even"}).Hint("Parity")};
  ComboBox ComboBox_PortAStopBits{*this, "ComboBox_PortAStopBits",
                                  Design().Items({"1", "2"}).Hint("Number of stop bits")};
  ComboBox ComboBox_PortAInput{*this, "ComboBox_PortAInput", Design().Items({"none", "RXBIN"})};
  Label Label_PortAOutput{*this, "Label_PortAOutput", Design().Text("Output Protocol")};
  ComboBox ComboBox_PortAOutput{*this, "ComboBox_PortAOutput",
                                Design().Items({"none", "RXBIN", "NMEA"})};

  Label Label_B{*this, "Label_B", Design().Text("Port B:")};
  ComboBox ComboBox_PortBBaudRate{
      *this, "ComboBox_PortBBaudRate",
      Design().Items({"4800", "9600", "19200", "38400", "57600", "115200"}).Hint("Baud Rate")};
  ComboBox ComboBox_PortBDataBits{*this, "ComboBox_PortBDataBits",
                                  Design().Items({"8"}).Hint("Numer of data bits")};
  ComboBox ComboBox_PortBParity{*this, "ComboBox_PortBParity",
                                Design().Items({"None", "Odd", "Even"}).Hint("Parity")};
  ComboBox ComboBox_PortBStopBits{*this, "ComboBox_PortBStopBits",
                                  Design().Items({"1", "2"}).Hint("Number of stop bits")};
  ComboBox ComboBox_PortBInput{*this, "ComboBox_PortBInput", Design().Items({"RXBIN"})};
  Label Label_PortBOutput{*this, "Label_PortBOutput", Design().Text("Output Protocol")};
  ComboBox ComboBox_PortBOutput{*this, "ComboBox_PortBOutput", Design().Items({"RXBIN", "NMEA"})};

  Button Button_SetA{*this, "Button_SetA", Design().Text("Set Port &A")};
  Button Button_SetB{*this, "Button_SetB", Design().Text("Set Port &B")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

}  // namespace zelkon
