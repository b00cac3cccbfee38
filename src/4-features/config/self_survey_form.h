// The self-survey windows: TForm_SelfSurvey for the Tempavo receivers (0x8E-A9) and
// TForm_VarnelSurvey for the Varnel receiver (0x8E-4B).
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_SelfSurvey final : public Form {
 public:
  TForm_SelfSurvey()
      : Form("TForm_SelfSurvey", "Self Survey", "Self Survey Parameters: Packet 8E/8F-A9") {}

  CheckBox CheckBox_EnableSurvey{*this, "CheckBox_EnableSurvey",
                                 Design().Text("Enable Self Survey")};
  CheckBox CheckBox_Flag{*this, "CheckBox_Flag", Design().Text("Auto Save Position")};
  Edit Edit_Limit{*this, "Edit_Limit"};
  Button Button_Set{*this, "Button_Set", Design().Text("&Set")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

class TForm_VarnelSurvey final : public Form {
 public:
  TForm_VarnelSurvey() : Form("TForm_VarnelSurvey", "Set Survey  Limit") {}

  Edit Edit_Limit{*this, "Edit_Limit"};
  Button Button_Set{*this, "Button_Set", Design().Text("&Set")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

}  // namespace zelkon
