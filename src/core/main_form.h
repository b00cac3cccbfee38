// TForm_Main: the main window's model. Time, timing outputs, mode and status, position, minor
// alarms, the twelve satellite rows, the status bar with the link LEDs, the menus and the two
// timers of the program.
#pragma once

#include "core/form.h"

namespace zelkon {

inline constexpr int kPollIntervalMs = 200;

class TForm_Main final : public Form {
 public:
  TForm_Main();

  // Time group.
  Panel Panel_Timing{*this, "Panel_Timing",
                     Design().Color(colours::kButtonFace).Hint("Time: Packet 8F-AB")};
  Panel Panel_Time{*this, "Panel_Time"};
  Label Label_TimeType{*this, "Label_TimeType", Design().Text("GPS")};
  Panel Panel_Date{*this, "Panel_Date"};
  Panel Panel_UTCOffset{*this, "Panel_UTCOffset"};
  Panel Panel_TOW{*this, "Panel_TOW"};
  Panel Panel_WeekNum{*this, "Panel_WeekNum"};

  // Minor alarms. Bits 1 and 2 (antenna open and short) are hidden rows; bit 4 has no LED.
  Panel Panel_MinorAlarms{*this, "Panel_MinorAlarms",
                          Design().Color(colours::kButtonFace).Hint("Minor Alarms: Packet 8F-AC")};
  Shape Shape_Bit1{*this, "Shape_Bit1",
                   Design()
                       .Color(colours::kGrey)
                       .Hint("When yellow, the antenna input is open")
                       .Hidden()
                       .Top(29)};
  Shape Shape_Bit2{
      *this, "Shape_Bit2",
      Design().Color(colours::kGrey).Hint("When yellow, the antenna input is shorted").Hidden()};
  Shape Shape_Bit3{*this, "Shape_Bit3",
                   Design().Color(colours::kGrey).Hint("When yellow, no satellites are usable")};
  Shape Shape_Bit5{
      *this, "Shape_Bit5",
      Design().Color(colours::kGrey).Hint("When Yellow, a self-survey is in progress")};
  Shape Shape_Bit6{
      *this, "Shape_Bit6",
      Design().Color(colours::kGrey).Hint("When Yellow, a stored position does not exist")};
  Shape Shape_Bit7{
      *this, "Shape_Bit7",
      Design().Color(colours::kGrey).Hint("When yellow, a leap second event is pending")};
  Shape Shape_Bit8{*this, "Shape_Bit8",
                   Design().Color(colours::kGrey).Hint("When yellow, the unit is in a test mode")};
  Shape Shape_Bit9{
      *this, "Shape_Bit9",
      Design().Color(colours::kGrey).Hint("When yellow, the position accuracy is questionable")};
  Shape Shape_Bit10{
      *this, "Shape_Bit10",
      Design().Color(colours::kGrey).Hint("When yellow, invalid EEPROM segments detected")};
  Shape Shape_Bit11{*this, "Shape_Bit11",
                    Design()
                        .Color(colours::kGrey)
                        .Hint("When yellow, almanac is not complete or current")
                        .Top(165)};

  // Timing outputs.
  Panel Panel_TimingOutputs{
      *this, "Panel_TimingOutputs",
      Design().Color(colours::kButtonFace).Hint("Timing Outputs: Packet 8F-AC")};
  Panel Panel_PPSOffset{*this, "Panel_PPSOffset"};
  Panel Panel_10MHz{*this, "Panel_10MHz"};
  Panel Panel_Quantization{*this, "Panel_Quantization"};
  Shape Shape_PPS{*this, "Shape_PPS",
                  Design().Color(colours::kGrey).Hint("When green, PPS was generated")};

  // Mode and status.
  Panel Panel_ModeAndStatus{
      *this, "Panel_ModeAndStatus",
      Design().Color(colours::kButtonFace).Hint("Mode and Status: Packet 8F-AC")};
  Panel Panel_Mode{*this, "Panel_Mode"};
  Panel Panel_Status{*this, "Panel_Status"};

  // Position.
  Panel Panel_Position{*this, "Panel_Position",
                       Design().Color(colours::kButtonFace).Hint("Position: Packet 8F-AC")};
  Panel Panel_Latitude{*this, "Panel_Latitude"};
  Panel Panel_Longitude{*this, "Panel_Longitude"};
  Panel Panel_Altitude{*this, "Panel_Altitude"};
  Panel Panel_SelfSurvey{*this, "Panel_SelfSurvey"};

  // Satellite rows, one per receiver channel.
  ControlArray<Panel, 12> Panel_SV{
      *this, "Panel_SV", 1,
      Design().Text("0").Hint("Green, SV is used for fixes; Yellow, TRAIM reject")};
  ControlArray<Panel, 12> Panel_AMU{*this, "Panel_AMU", 1,
                                    Design().Text("0.0").Hint("Tracking Status: Packets 3C, 5C")};

  // Status bar.
  Panel Panel_TxRx{*this, "Panel_TxRx",
                   Design().Color(colours::kButtonFace).Hint("Serial Activity")};
  Shape Shape_TxLED{*this, "Shape_TxLED", Design().Color(colours::kGrey)};
  Shape Shape_RxLED{*this, "Shape_RxLED", Design().Color(colours::kGrey)};
  Panel Panel_Hint{*this, "Panel_Hint", Design().Color(colours::kButtonFace).Hint("Hint Box")};
  Panel Panel_Version{*this, "Panel_Version",
                      Design().Color(colours::kButtonFace).Hint("Firmware Version")};
  Panel Panel_Serial{*this, "Panel_Serial",
                     Design().Color(colours::kButtonFace).Hint("Serial Port Configuration")};

  // Menus.
  MenuItem ControlPollingTimingPkts{*this, "ControlPollingTimingPkts",
                                    MenuDesign("Poll Timing P&ackets")};
  MenuItem ViewDiagnostics{*this, "ViewDiagnostics", MenuDesign("&Diagnostics...").Hidden()};
  MenuItem ViewTestModes{*this, "ViewTestModes", MenuDesign("Test &Modes...").Hidden()};

  // Timers: the poll loop and the start-up port set-up.
  Timer Timer_RXBIN{*this, "Timer_RXBIN", kPollIntervalMs};
  Timer TimerBreak{*this, "TimerBreak", kPollIntervalMs};

  // The minor-alarm LEDs in the order ClearMainDisplay and the decoders walk them.
  std::array<Shape*, 10> AlarmLeds();
};

}  // namespace zelkon
