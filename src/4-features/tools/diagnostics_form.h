// TForm_Diagnostics: the engineering window of the reset stress test, the I/O meter and the
// product-type setter. It exists hidden from start-up, and its one-second timer runs from then on.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_Diagnostics final : public Form {
 public:
  // Items of the three groups of the reset test.
  enum LengthMode { kLengthTimed, kUntilAppFatal, kManualStopOnly };
  enum IntervalMode { kIntervalTimed, kWhenTracking };
  static constexpr int kRandomReset = 5;
  static constexpr int kTimerMs = 1000;

  TForm_Diagnostics() : Form("TForm_Diagnostics", "Diagnostics") {
    Timer_Diagnostics.SetEnabled(true);
  }

  // The reset test ("App Fatal Tests").
  Shape Shape_AppFatalLED{*this, "Shape_AppFatalLED", Design().Color(colours::kGrey)};
  RadioGroup RadioGroup_Length{*this, "RadioGroup_Length",
                               Design()
                                   .Text("Test Length")
                                   .Items({"Timed", "Until App Fatal", "Manual Stop Only"})
                                   .ItemIndex(kManualStopOnly)};
  Edit Edit_Length{*this, "Edit_Length", Design().Text("1200")};
  RadioGroup RadioGroup_Interval{
      *this, "RadioGroup_Interval",
      Design().Text("Reset Interval").Items({"Timed", "When Tracking"}).ItemIndex(kIntervalTimed)};
  Edit Edit_Interval{*this, "Edit_Interval", Design().Text("5")};
  RadioGroup RadioGroup_ResetType{*this, "RadioGroup_ResetType",
                                  Design()
                                      .Text("Reset Type")
                                      .Items({"Cold Reset", "Warm Reset", "Factory (All)",
                                              "Factory (Nav)", "Factory (Config)", "Random"})
                                      .ItemIndex(kRandomReset)};
  CheckBox CheckBox_Packets{*this, "CheckBox_Packets",
                            Design().Text("Turn on All Output Packets After Reset")};
  CheckBox CheckBox_EEPROM{*this, "CheckBox_EEPROM",
                           Design().Text("Modify segments, write to EEPROM after Factory Reset")};
  CheckBox CheckBox_DeadRecStop{*this, "CheckBox_DeadRecStop",
                                Design().Text("Stop Test if Receiver Dies")};
  Panel Panel_Duration{*this, "Panel_Duration", Design().Color(colours::kWindow)};
  Panel Panel_NumResets{*this, "Panel_NumResets", Design().Color(colours::kWindow)};
  Panel Panel_CurrentReset{*this, "Panel_CurrentReset", Design().Color(colours::kWindow)};
  Panel Panel_Errors{*this, "Panel_Errors", Design().Color(colours::kWindow)};
  Panel Panel_Exceptions{*this, "Panel_Exceptions", Design().Color(colours::kWindow)};
  Button Button_AppFatalStart{*this, "Button_AppFatalStart", Design().Text("&Start")};
  Button Button_AppFatalStop{*this, "Button_AppFatalStop", Design().Text("Sto&p").Disabled()};
  Button Button_AppFatalView{*this, "Button_AppFatalView", Design().Text("&View")};

  // The I/O meter.
  Panel Panel_Output{*this, "Panel_Output", Design().Color(colours::kWindow)};
  Button Button_Reset{*this, "Button_Reset", Design().Text("&Reset")};

  // The product type.
  RadioButton RadioButton_Standard{*this, "RadioButton_Standard",
                                   Design().Text("Standard").Group("product")};
  RadioButton RadioButton_Sorvek{*this, "RadioButton_Sorvek",
                                 Design().Text("Sorvek").Group("product")};
  RadioButton RadioButton_Harvane{*this, "RadioButton_Harvane",
                                  Design().Text("Harvane").Group("product")};
  Button Button_Set_ProductType{*this, "Button_Set_ProductType", Design().Text("Set")};

  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
  Timer Timer_Diagnostics{*this, "Timer_Diagnostics", kTimerMs};

  // The receiver port the segment check talks to: 0 port A, 1 port B.
  int DiagnosticsPortIndex = 0;
};

}  // namespace zelkon
