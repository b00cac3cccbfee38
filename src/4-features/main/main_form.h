// TForm_Main: the main window's model. Time, timing outputs, mode and status, position, minor
// alarms, the twelve satellite rows, the status bar with the link LEDs, the menus and the two
// timers of the program.
#pragma once

#include <array>

#include "model/form.h"

namespace zelkon {

inline constexpr int kPollIntervalMs = 200;

class TForm_Main final : public Form {
 public:
  TForm_Main();

  // ---- Time group ----
  Panel Panel_Timing{*this, "Panel_Timing",
                     Design().Color(colours::kButtonFace).Hint("Time: Packet 8F-AB")};
  Panel Panel_Time{*this, "Panel_Time"};
  Label Label_TimeType{*this, "Label_TimeType", Design().Text("GPS")};
  Panel Panel_Date{*this, "Panel_Date"};
  Panel Panel_UTCOffset{*this, "Panel_UTCOffset"};
  Panel Panel_TOW{*this, "Panel_TOW"};
  Panel Panel_WeekNum{*this, "Panel_WeekNum"};

  // ---- Minor alarms ----
  // Rows top to bottom; bits 1 and 2 (antenna open and short) are hidden rows, bit 4 has none.
  // The tops are the design layout's, inside the group; the receiver type re-spaces the rows.
  Panel Panel_MinorAlarms{*this, "Panel_MinorAlarms",
                          Design().Color(colours::kButtonFace).Hint("Minor Alarms: Packet 8F-AC")};
  Shape Shape_Bit1{*this, "Shape_Bit1",
                   Alarm("When yellow, the antenna input is open", 29).Hidden()};
  Label Label_MA1{
      *this, "Label_MA1",
      AlarmLabel("Antenna Open", "When yellow, the antenna input is open", 27).Hidden()};
  Shape Shape_Bit2{*this, "Shape_Bit2",
                   Alarm("When yellow, the antenna input is shorted", 44).Hidden()};
  Label Label_MA2{
      *this, "Label_MA2",
      AlarmLabel("Antenna Short", "When yellow, the antenna input is shorted", 42).Hidden()};
  Shape Shape_Bit3{*this, "Shape_Bit3", Alarm("When yellow, no satellites are usable", 59)};
  Label Label_MA3{*this, "Label_MA3",
                  AlarmLabel("Satellite Tracking", "When yellow, no satellites are usable", 57)};
  Shape Shape_Bit5{*this, "Shape_Bit5", Alarm("When Yellow, a self-survey is in progress", 74)};
  Label Label_MA5{
      *this, "Label_MA5",
      AlarmLabel("Self-Survey Activity", "When Yellow, a self-survey is in progress", 72)};
  Shape Shape_Bit6{*this, "Shape_Bit6", Alarm("When Yellow, a stored position does not exist", 89)};
  Label Label_MA6{
      *this, "Label_MA6",
      AlarmLabel("Stored Position", "When Yellow, a stored position does not exist", 87)};
  Shape Shape_Bit7{*this, "Shape_Bit7", Alarm("When yellow, a leap second event is pending", 104)};
  Label Label_MA7{
      *this, "Label_MA7",
      AlarmLabel("Leap Second Pending", "When yellow, a leap second event is pending", 102)};
  Shape Shape_Bit8{*this, "Shape_Bit8", Alarm("When yellow, the unit is in a test mode", 119)};
  Label Label_MA8{*this, "Label_MA8",
                  AlarmLabel("Test Mode", "When yellow, the unit is in a test mode", 117)};
  Shape Shape_Bit9{*this, "Shape_Bit9",
                   Alarm("When yellow, the position accuracy is questionable", 134)};
  Label Label_MA9{*this, "Label_MA9",
                  AlarmLabel("Position Questionable",
                             "When yellow, the position accuracy is questionable", 132)};
  Shape Shape_Bit10{*this, "Shape_Bit10",
                    Alarm("When yellow, invalid EEPROM segments detected", 150)};
  Label Label_MA10{
      *this, "Label_MA10",
      AlarmLabel("EEPROM Invalid", "When yellow, invalid EEPROM segments detected", 148)};
  Shape Shape_Bit11{*this, "Shape_Bit11",
                    Alarm("When yellow, almanac is not complete or current", 165)};
  Label Label_MA11{*this, "Label_MA11",
                   AlarmLabel("Almanac", "When yellow, almanac is not complete or current", 163)};

  // ---- Timing outputs ----
  Panel Panel_TimingOutputs{
      *this, "Panel_TimingOutputs",
      Design().Color(colours::kButtonFace).Hint("Timing Outputs: Packet 8F-AC")};
  Label Label_TimingOutputs{*this, "Label_TimingOutputs", Design().Text("Timing Outputs:")};
  Panel Panel_PPSOffset{*this, "Panel_PPSOffset"};
  Panel Panel_10MHz{*this, "Panel_10MHz"};
  Panel Panel_Quantization{*this, "Panel_Quantization"};
  Shape Shape_PPS{*this, "Shape_PPS",
                  Design().Color(colours::kGrey).Hint("When green, PPS was generated")};

  // ---- Mode and status ----
  Panel Panel_ModeAndStatus{
      *this, "Panel_ModeAndStatus",
      Design().Color(colours::kButtonFace).Hint("Mode and Status: Packet 8F-AC")};
  Label Label_ModeAndStatus{*this, "Label_ModeAndStatus", Design().Text("Mode and Status:")};
  Panel Panel_Mode{*this, "Panel_Mode"};
  Panel Panel_Status{*this, "Panel_Status"};

  // ---- Position ----
  Panel Panel_Position{*this, "Panel_Position",
                       Design().Color(colours::kButtonFace).Hint("Position: Packet 8F-AC")};
  Panel Panel_Latitude{*this, "Panel_Latitude"};
  Panel Panel_Longitude{*this, "Panel_Longitude"};
  Panel Panel_Altitude{*this, "Panel_Altitude"};
  Label Label_SelfSurvey{*this, "Label_SelfSurvey", Design().Text("Self-Survey Progress")};
  Panel Panel_SelfSurvey{*this, "Panel_SelfSurvey"};

  // ---- Satellite rows, one per receiver channel ----
  Panel Panel_SVData{*this, "Panel_SVData",
                     Design()
                         .Color(colours::kButtonFace)
                         .Hint("Signal Levels: Packet 5C; SV Selection: Packet 6D")};
  Label Label_SVData{*this, "Label_SVData", Design().Text("SV Data:")};
  ControlArray<Panel, 12> Panel_SV{
      *this, "Panel_SV", 1,
      Design().Text("0").Hint("Green, SV is used for fixes; Yellow, TRAIM reject")};
  ControlArray<Panel, 12> Panel_AMU{*this, "Panel_AMU", 1,
                                    Design().Text("0.0").Hint("Tracking Status: Packets 3C, 5C")};

  // ---- Status bar ----
  Panel Panel_TxRx{*this, "Panel_TxRx",
                   Design().Color(colours::kButtonFace).Hint("Serial Activity")};
  Shape Shape_TxLED{*this, "Shape_TxLED", Design().Color(colours::kGrey)};
  Shape Shape_RxLED{*this, "Shape_RxLED", Design().Color(colours::kGrey)};
  Panel Panel_Hint{*this, "Panel_Hint", Design().Color(colours::kButtonFace).Hint("Hint Box")};
  Panel Panel_Version{*this, "Panel_Version",
                      Design().Color(colours::kButtonFace).Hint("Firmware Version")};
  Panel Panel_Serial{*this, "Panel_Serial",
                     Design().Color(colours::kButtonFace).Hint("Serial Port Configuration")};

  // ---- Menu "&Control" ----
  MenuItem ControlCold{*this, "ControlCold", MenuDesign("&Cold Reset").ShortCut("Ctrl+K")};
  MenuItem ControlWarm{*this, "ControlWarm", MenuDesign("&Warm Reset").ShortCut("Ctrl+R")};
  MenuItem ControlFactoryAll{*this, "ControlFactoryAll", MenuDesign("&All Data and Parameters")};
  MenuItem ControlFactoryNav{*this, "ControlFactoryNav", MenuDesign("&Navigation Data")};
  MenuItem ControlFactoryConfig{*this, "ControlFactoryConfig",
                                MenuDesign("&Configuration Parameters")};
  MenuItem ControlRestartSurvey{*this, "ControlRestartSurvey", MenuDesign("Restart &Self-Survey")};
  MenuItem ControlUploadPos{*this, "ControlUploadPos", MenuDesign("Upload &Position...")};
  MenuItem ControlUploadTime{*this, "ControlUploadTime", MenuDesign("Upload &Time From PC...")};
  MenuItem ControlUploadAlmanac{*this, "ControlUploadAlmanac", MenuDesign("&Upload Almanac...")};
  MenuItem ControlDownloadPos{*this, "ControlDownloadPos", MenuDesign("D&ownload Position...")};
  MenuItem ControlTimeToPC{*this, "ControlTimeToPC", MenuDesign("Down&load Time To PC")};
  MenuItem ControlDownloadAlmanac{*this, "ControlDownloadAlmanac",
                                  MenuDesign("&Download Almanac...")};
  MenuItem ControlPollingTimingPkts{*this, "ControlPollingTimingPkts",
                                    MenuDesign("Poll Timing P&ackets")};
  MenuItem RecTypeT2K{*this, "RecTypeT2K", MenuDesign("&Tempavo Opal/2000")};
  MenuItem RecTypeT2KNetrel{*this, "RecTypeT2KNetrel", MenuDesign("Tempavo Opal/2000 &Netrel")};
  MenuItem RecTypeT2KHV{*this, "RecTypeT2KHV", MenuDesign("Tempavo Opal/2000 &Harvane")};
  MenuItem RecTypeT2KTPV2{*this, "RecTypeT2KTPV2",
                          MenuDesign("Tempavo Opal Tempavo II Compa&tible")};
  MenuItem RecTypeVarnel{*this, "RecTypeVarnel", MenuDesign("&Varnel")};
  MenuItem RecTypeOrlaUTC{*this, "RecTypeOrlaUTC", MenuDesign("Orla &UTC").Hidden()};
  MenuItem ControlRecordRxbin{*this, "ControlRecordRxbin", MenuDesign("&Record RXBIN...")};
  // Hidden items whose keys still work.
  MenuItem ControlPacketsOn{*this, "ControlPacketsOn",
                            MenuDesign("Packets On").ShortCut("F2").Hidden()};
  MenuItem ControlSICode6{*this, "ControlSICode6", MenuDesign("SI Code 6").ShortCut("F6").Hidden()};
  MenuItem ControlSICode8{*this, "ControlSICode8", MenuDesign("SI Code 8").ShortCut("F8").Hidden()};
  MenuItem ControlSICode9{*this, "ControlSICode9", MenuDesign("SI Code 9").ShortCut("F9").Hidden()};

  // ---- Menu "&Setup" ----
  MenuItem SetupGPS{*this, "SetupGPS", MenuDesign("&GPS Settings...")};
  MenuItem SetupSVNum{*this, "SetupSVNum", MenuDesign("S&V for 1 Satellite Mode...")};
  MenuItem SetupAltitude{*this, "SetupAltitude", MenuDesign("Altitude for &2D Mode...")};
  MenuItem SetupPacketMasks{*this, "SetupPacketMasks", MenuDesign("&Packet Masks and Options...")};
  MenuItem SetupDatum{*this, "SetupDatum", MenuDesign("&Datum...")};
  MenuItem SetupPortAOutput{*this, "SetupPortAOutput", MenuDesign("Port &A Output").Hidden()};
  MenuItem SetupPortBOutput{*this, "SetupPortBOutput", MenuDesign("Port &B Output...")};
  MenuItem SetupSerialPorts{*this, "SetupSerialPorts", MenuDesign("&Serial Ports...")};
  MenuItem SetupTimingOutputs{*this, "SetupTimingOutputs", MenuDesign("&Timing Outputs...")};
  MenuItem SetupSelfSurvey{*this, "SetupSelfSurvey", MenuDesign("Self-Surve&y...")};
  MenuItem SetupVarnelSelfSurvey{*this, "SetupVarnelSelfSurvey",
                                 MenuDesign("S&elf-Survey...").Hidden()};
  MenuItem N3{*this, "N3", MenuDesign("-")};  // the separator above "&NMEA Output..."
  MenuItem SetupNMEAOutpu{*this, "SetupNMEAOutpu", MenuDesign("&NMEA Output...")};
  MenuItem SetupRevertSegment{*this, "SetupRevertSegment",
                              MenuDesign("&Revert Segment to Default...")};
  MenuItem SetupSaveSegments{*this, "SetupSaveSegments",
                             MenuDesign("Save &Configuration Segments")};
  MenuItem SetupDefaultSegments{*this, "SetupDefaultSegments", MenuDesign("De&fault All Segments")};

  // ---- Menu "&Window" ----
  MenuItem ViewAddTiming{*this, "ViewAddTiming", MenuDesign("Additional Timing &Packets...")};
  MenuItem ViewVelPos{*this, "ViewVelPos", MenuDesign("&Velocity && Positioning...")};
  MenuItem ViewTrack{*this, "ViewTrack", MenuDesign("&Track Status...")};
  MenuItem ViewEEPROM{*this, "ViewEEPROM", MenuDesign("EEPROM &Segment Status...")};
  MenuItem ViewRawMeas{*this, "ViewRawMeas", MenuDesign("&Raw Measurement Data...")};
  MenuItem ViewEphemStat{*this, "ViewEphemStat", MenuDesign("&Ephemeris Status...")};
  MenuItem ViewProduct{*this, "ViewProduct", MenuDesign("Product &Info...")};
  MenuItem ViewAlmanacData{*this, "ViewAlmanacData", MenuDesign("&Almanac Data...")};
  MenuItem ViewAlmHealth{*this, "ViewAlmHealth", MenuDesign("Almanac &Health Page...")};
  MenuItem ViewUTCParam{*this, "ViewUTCParam", MenuDesign("&UTC Parameters...")};
  MenuItem ViewCharts{*this, "ViewCharts", MenuDesign("&Charts...")};
  MenuItem ViewSky{*this, "ViewSky", MenuDesign("S&ky View...")};
  MenuItem ViewMessageLog{*this, "ViewMessageLog", MenuDesign("Message &Log...")};
  // Checked: the receiver's troubles are also desktop notifications.
  MenuItem ViewNotifications{*this, "ViewNotifications", MenuDesign("Desktop &Notifications")};
  MenuItem ViewDiagnostics{*this, "ViewDiagnostics", MenuDesign("&Diagnostics...").Hidden()};
  MenuItem ViewTestModes{*this, "ViewTestModes", MenuDesign("Test &Modes...").Hidden()};

  // ---- Menu "&Help" ----
  MenuItem HelpContents{*this, "HelpContents", MenuDesign("&Help...")};
  MenuItem HelpAbout{*this, "HelpAbout", MenuDesign("&About...")};

  // ---- Timers: the poll loop and the start-up port set-up ----
  Timer Timer_RXBIN{*this, "Timer_RXBIN", kPollIntervalMs};
  Timer TimerBreak{*this, "TimerBreak", kPollIntervalMs};

  // The minor-alarm LEDs by bit number, nullptr for bits without one.
  std::array<Shape*, 16> AlarmLedByBit();
  // The minor-alarm LEDs in row order (bits 1, 2, 3, 5 .. 11).
  std::array<Shape*, 10> AlarmLeds();
  // The five receiver-type items, type 1 to 5, and the hidden sixth.
  std::array<MenuItem*, 6> ReceiverTypeItems();

 private:
  static Design Alarm(const char* hint, int top) {
    return Design().Color(colours::kGrey).Hint(hint).Top(top);
  }
  static Design AlarmLabel(const char* caption, const char* hint, int top) {
    return Design().Text(caption).Hint(hint).Top(top);
  }
};

}  // namespace zelkon
