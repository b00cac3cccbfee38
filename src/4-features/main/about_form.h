// TForm_About: the program's name and version.
#pragma once

#include "model/form.h"

namespace zelkon {

// The program version, "0.1.0".
const char* ProgramVersion();

class TForm_About final : public Form {
 public:
  TForm_About() : Form("TForm_About", "About Tempavo Opal Mon") {}

  Label Label_Title{*this, "Label_Title", Design().Text("Timing Receiver Monitor")};
  Label Label_Product{*this, "Label_Product", Design().Text("Tempavo Opal")};
  Label Label_Version{*this, "Label_Version",
                      Design().Text(std::string("Version ") + ProgramVersion())};
  Button Button_OK{*this, "Button_OK", Design().Text("&OK")};
};

}  // namespace zelkon
