// TForm_Diagnostics: the engineering window of the reset stress test, the I/O meter and the
// product-type setter.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_Diagnostics final : public Form {
 public:
  TForm_Diagnostics() : Form("TForm_Diagnostics", "Diagnostics") {}

  RadioButton RadioButton_Standard{*this, "RadioButton_Standard",
                                   Design().Text("Standard").Group("product")};
  RadioButton RadioButton_Sorvek{*this, "RadioButton_Sorvek",
                                 Design().Text("Sorvek").Group("product")};
  RadioButton RadioButton_Harvane{*this, "RadioButton_Harvane",
                                  Design().Text("Harvane").Group("product")};

  // The receiver port the segment check talks to: 0 port A, 1 port B.
  int DiagnosticsPortIndex = 0;
};

}  // namespace zelkon
