// TForm_LogRxbin: chooses the recording file and switches the packet recording on and off.
#pragma once

#include "model/form.h"
#include "platform/dialogs.h"

namespace zelkon {

class TForm_LogRxbin final : public Form {
 public:
  static constexpr int kStatusRefreshMs = 1000;

  TForm_LogRxbin() : Form("TForm_LogRxbin", "RXBIN Logging Setup and Status") {}

  Panel Panel1{*this, "Panel1", Design().Color(colours::kButtonFace)};
  Label Label6{*this, "Label6", Design().Text("RXBIN Log Status:")};
  // Grey while off, green while recording.
  Shape Shape_OnOff{*this, "Shape_OnOff", Design().Color(colours::kGrey)};
  Label Label_OnOff{*this, "Label_OnOff", Design().Text("Off")};
  Label Label5{*this, "Label5", Design().Text("File Name")};
  // The file to record into, typed or chosen with Button_Open; empty until one is given.
  Edit Edit_Filename{*this, "Edit_Filename",
                     Design().Hint("The file the packets are recorded into (.rxb)")};
  Button Button_Open{*this, "Button_Open",
                     Design().Text("&Browse...").Hint("Chooses the file to record into")};
  // What the recording has written: packets, bytes and how long it has run.
  Label Label_Written{*this, "Label_Written"};
  Timer Timer_Status{*this, "Timer_Status", kStatusRefreshMs};
  Button Button_Start{*this, "Button_Start", Design().Text("&Start")};
  Button Button_Stop{*this, "Button_Stop", Design().Text("Sto&p")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

// OpenDialogRecord: the file dialog of recording files.
inline FileDialogRequest RecordFileDialog() {
  return {" ", ".rxb", "RXBIN Files (*.rxb)|*.rxb|All Files (*.*)|*.*"};
}

}  // namespace zelkon
