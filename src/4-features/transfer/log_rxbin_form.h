// TForm_LogRxbin: chooses the recording file and switches the packet recording on and off.
#pragma once

#include "model/form.h"
#include "platform/dialogs.h"

namespace zelkon {

class TForm_LogRxbin final : public Form {
 public:
  TForm_LogRxbin() : Form("TForm_LogRxbin", "RXBIN Logging Setup and Status") {}

  Panel Panel1{*this, "Panel1", Design().Color(colours::kButtonFace)};
  Label Label6{*this, "Label6", Design().Text("RXBIN Log Status:")};
  // Grey while off, green while recording.
  Shape Shape_OnOff{*this, "Shape_OnOff", Design().Color(colours::kGrey)};
  Label Label_OnOff{*this, "Label_OnOff", Design().Text("Off")};
  Label Label5{*this, "Label5", Design().Text("File Name")};
  // The chosen path; empty until one is chosen.
  Panel Panel_Filename{*this, "Panel_Filename"};
  Button Button_Open{*this, "Button_Open", Design().Text("&Open")};
  Button Button_Start{*this, "Button_Start", Design().Text("&Start")};
  Button Button_Stop{*this, "Button_Stop", Design().Text("Sto&p")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

// OpenDialogRecord: the file dialog of recording files.
inline FileDialogRequest RecordFileDialog() {
  return {" ", ".rxb", "RXBIN Files (*.rxb)|*.rxb|All Files (*.*)|*.*"};
}

}  // namespace zelkon
