// TForm_AddTiming: the primary UTC time report, the comprehensive time report and the event input.
#pragma once

#include <array>

#include "model/form.h"

namespace zelkon {

class TForm_AddTiming final : public Form {
 public:
  TForm_AddTiming() : Form("TForm_AddTiming", "Additional Timing Packets") {}

  // Primary UTC time.
  Panel Panel1{*this, "Panel1",
               Design().Color(colours::kButtonFace).Hint("Primary UTC Time: Packet 8F-AD")};
  Label Label_ADTime{*this, "Label_ADTime", Design().Text("UTC Time")};
  Panel Panel_PrimaryUTCTime{*this, "Panel_PrimaryUTCTime"};
  Panel Panel_UTCDate{*this, "Panel_UTCDate"};
  Panel Panel_Status{*this, "Panel_Status"};
  Shape Shape_LED0{*this, "Shape_LED0", Led("When green, UTC is available.")};
  Shape Shape_LED4{*this, "Shape_LED4", Led("When yellow, a leap event is scheduled.")};
  Shape Shape_LED5{*this, "Shape_LED5", Led("When orange, a leap event will occur in < 24 hours.")};
  Shape Shape_LED6{*this, "Shape_LED6",
                   Led("When red, a leap event has occured, or will occur, within +/- 6 hours.")};
  Shape Shape_LED7{*this, "Shape_LED7", Led("When blue, leap second is being inserted.")};

  // Event input.
  Panel Panel4{*this, "Panel4",
               Design().Color(colours::kButtonFace).Hint("Event Time: Packets 8F-AD, 8F-0B")};
  Panel Panel_EventCounter{*this, "Panel_EventCounter"};
  Button Button_Event{*this, "Button_Event", Design().Text("&Event Capture")};
  Panel Panel_EventTime{*this, "Panel_EventTime"};

  // Comprehensive time.
  Panel Panel_CompTime{
      *this, "Panel_CompTime",
      Design().Color(colours::kButtonFace).Hint("Comprehensive Time: Packet 8F-0B")};
  Panel Panel_GPSTime{*this, "Panel_GPSTime"};
  Panel Panel_UTCTime{*this, "Panel_UTCTime"};
  Panel Panel_TOW{*this, "Panel_TOW"};
  Panel Panel_Date{*this, "Panel_Date"};
  Panel Panel_UTCOffset{*this, "Panel_UTCOffset"};
  Panel Panel_RecMode{*this, "Panel_RecMode"};
  Panel Panel_Bias{*this, "Panel_Bias"};
  Panel Panel_BiasUnc{*this, "Panel_BiasUnc"};
  Panel Panel_DriftRate{*this, "Panel_DriftRate"};
  Panel Panel_DriftUnc{*this, "Panel_DriftUnc"};
  Panel Panel_NorthSouth{*this, "Panel_NorthSouth"};
  Panel Panel_LatDeg{*this, "Panel_LatDeg"};
  Panel Panel_LatMin{*this, "Panel_LatMin"};
  Panel Panel_EastWest{*this, "Panel_EastWest"};
  Panel Panel_LonDeg{*this, "Panel_LonDeg"};
  Panel Panel_LonMin{*this, "Panel_LonMin"};
  Panel Panel_Alt{*this, "Panel_Alt"};
  ControlArray<Panel, 8> Panel_SV{*this, "Panel_SV", 1, Design().Hint("When blue, used for fixes")};

  Button Button_Clear{*this, "Button_Clear", Design().Text("C&lear")};
  Button Button_Query{*this, "Button_Query", Design().Text("&Refresh")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};

  std::array<Shape*, 5> Leds() {
    return {&Shape_LED0, &Shape_LED4, &Shape_LED5, &Shape_LED6, &Shape_LED7};
  }

 private:
  static Design Led(const char* hint) { return Design().Color(colours::kGrey).Hint(hint); }
};

}  // namespace zelkon
