#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "analysis/vouched_time.h"
#include "core/dispatcher.h"
#include "link/codec.h"
#include "support/decoder_helpers.h"
#include "support/test_rig.h"
#include "text/time_format.h"
#include "transfer/time_transfer.h"

namespace zelkon {
namespace {

using testing::ChangeLog;

using Bytes = std::vector<uint8_t>;

Bytes Singles(std::initializer_list<float> values) {
  Bytes p;
  for (float v : values) {
    p.resize(p.size() + 4);
    WriteSingle(v, &p[p.size() - 4]);
  }
  return p;
}

// Four doubles and the SINGLE the double-precision reports end with (not read).
Bytes FourDoubles(double a, double b, double c, double d) {
  Bytes p(36, 0x7F);
  WriteDouble(a, &p[0]);
  WriteDouble(b, &p[8]);
  WriteDouble(c, &p[16]);
  WriteDouble(d, &p[24]);
  return p;
}

Bytes GpsTime(float timeOfWeek, uint16_t week, float utcOffset) {
  Bytes p(10);
  WriteSingle(timeOfWeek, &p[0]);
  WriteU16(week, &p[4]);
  WriteSingle(utcOffset, &p[6]);
  return p;
}

struct ComprehensiveFields {
  uint16_t eventCount = 0;
  double timeOfWeek = 100;
  uint8_t month = 11;
  int8_t mode = 1;
  int16_t utcOffset = -14;
  double latitudeDeg = -33.5, longitudeDeg = 0;
  std::array<int8_t, 8> prns = {5, -7, 0, 0, 0, 0, 0, 0};
};

Bytes Comprehensive(const ComprehensiveFields& f) {
  Bytes p(74);
  p[0] = 0x0B;
  WriteU16(f.eventCount, &p[1]);
  WriteDouble(f.timeOfWeek, &p[3]);
  p[11] = 5;
  p[12] = f.month;
  WriteU16(2006, &p[13]);
  p[15] = static_cast<uint8_t>(f.mode);
  WriteU16(static_cast<uint16_t>(f.utcOffset), &p[16]);
  WriteDouble(12.3456, &p[18]);  // bias
  WriteDouble(-0.5, &p[26]);     // drift rate
  WriteSingle(2.25f, &p[34]);    // bias uncertainty
  WriteSingle(0.126f, &p[38]);   // drift uncertainty
  WriteDouble(f.latitudeDeg / DegreesPerRadian, &p[42]);
  WriteDouble(f.longitudeDeg / DegreesPerRadian, &p[50]);
  WriteDouble(45.6789, &p[58]);
  for (size_t i = 0; i < f.prns.size(); ++i)
    p[66 + i] = static_cast<uint8_t>(f.prns[i]);
  return p;
}

class PositionReports : public ::testing::Test {
 protected:
  void Decode(uint8_t decoder, const Bytes& payload) { testing::Decode(decoder, app, payload); }
  void SetTimingPackets(bool on) { main.ControlPollingTimingPkts.SetChecked(on); }

  testing::TestRig rig;
  Monitor& app = rig.app;
  TForm_Main& main = rig.app.Form_Main;
  TForm_VelPos& velPos = rig.app.Form_VelPos;
  TForm_AddTiming& add = rig.app.Form_AddTiming;
};

TEST_F(PositionReports, AnyOtherLengthChangesNothing) {
  const std::vector<std::pair<uint8_t, size_t>> decoders = {
      {0x41, 10}, {0x42, 16}, {0x43, 20}, {0x4A, 20}, {0x4A, 9},
      {0x4E, 1},  {0x56, 20}, {0x83, 36}, {0x84, 36}, {0x8F, 74},
  };
  ChangeLog log(app);
  for (const auto& [decoder, length] : decoders) {
    for (size_t wrong : {length - 1, length + 1}) {
      Bytes p(wrong, 0x59);  // 'Y', a plausible value in every field
      if (!p.empty()) p[0] = 0x0B;
      Decode(decoder, p);
    }
  }
  EXPECT_TRUE(log.changes.empty());
  EXPECT_EQ(app.state.TimeCountdown, 0);
  EXPECT_FALSE(app.segmentReadback.referenceAltitude.load().has_value());
}

// ---- 0x41
// -----------------------------------------------------------------------------------------

TEST_F(PositionReports, GpsTimeFillsTheMainTimeGroup) {
  main.Label_TimeType.SetCaption("UTC");
  Decode(0x41, GpsTime(0, 1400, 14));
  EXPECT_EQ(app.state.TimeCountdown, 5);
  EXPECT_EQ(main.Panel_TOW.Caption(), "0");
  EXPECT_EQ(main.Panel_WeekNum.Caption(), "1400");
  EXPECT_EQ(main.Panel_UTCOffset.Caption(), "14");
  EXPECT_EQ(main.Label_TimeType.Caption(), "GPS");
  EXPECT_EQ(main.Panel_Time.Caption(), "00:00:00");
  EXPECT_EQ(main.Panel_Date.Caption(), " Nov 5, 2006");
  EXPECT_EQ(main.Panel_Timing.Hint(), "Time: Packet 0x41");

  Decode(0x41, GpsTime(-1, 1400, 14));
  EXPECT_EQ(main.Panel_TOW.Caption(), "-1");
  EXPECT_EQ(main.Panel_Time.Caption(), "<No time yet>");
}

TEST_F(PositionReports, GpsTimeIsIgnoredWhileTimingPacketsArePolled) {
  SetTimingPackets(true);
  app.Feature<TimeToPcRequest>().pending = true;
  ChangeLog log(app);
  Decode(0x41, GpsTime(0, 1400, 14));
  EXPECT_TRUE(log.changes.empty());
  EXPECT_EQ(app.state.TimeCountdown, 0);
  EXPECT_TRUE(app.Feature<TimeToPcRequest>().pending);
}

TEST_F(PositionReports, GpsTimeSetsThePcClockWithTheOffsetCutToWholeSeconds) {
  app.telemetry.Add(TimingSupplemental{}, rig.clock.NowMs());  // doing fixes, no alarms
  app.Feature<TimeToPcRequest>().pending = true;
  rig.dialogs.Answer(Answer::Ok);
  const auto week = static_cast<uint16_t>(BuildWeekWindow().earliest + 10);
  Decode(0x41, GpsTime(3600, week, 14.9f));
  EXPECT_FALSE(app.Feature<TimeToPcRequest>().pending);
  EXPECT_EQ(rig.systemTime.setCalls,
            (std::vector<UtcTime>{GpsSecondsToCalendar(week * 604800.0 + 3600 - 14)}));
  EXPECT_EQ(main.Panel_UTCOffset.Caption(), "15");  // the display rounds, the clock truncates
}

// ---- TForm_VelPos: 0x42, 0x83, 0x43, 0x56, 0x4A, 0x84
// ---------------------------------------------

TEST_F(PositionReports, VelocityAndPositionReportsFillTheirGroups) {
  struct Case {
    uint8_t decoder;
    Bytes payload;
    std::vector<std::pair<Panel*, std::string>> texts;
  };
  // One radian is 57.295828 degrees with 180 / 3.14159, 57.295780 with pi.
  const Case cases[] = {
      {0x83,
       FourDoubles(-2700000.1234, 4300000.5, 3850000.0, -1.256),
       {{&velPos.Panel_PosX, "-2700000.123"},
        {&velPos.Panel_PosY, "4300000.500"},
        {&velPos.Panel_PosZ, "3850000.000"},
        {&velPos.Panel_ECEFBias, "-1.26"}}},
      {0x42,
       Singles({1.5f, -2.25f, 3.0f, 99.0f}),
       {{&velPos.Panel_PosX, "1.50"},
        {&velPos.Panel_PosY, "-2.25"},
        {&velPos.Panel_PosZ, "3.00"},
        {&velPos.Panel_ECEFBias, "-1.26"}}},  // 0x42 has no bias
      {0x43,
       Singles({0.5f, -1.25f, 2.0f, 0.75f, 9.0f}),
       {{&velPos.Panel_VelX, "0.50"},
        {&velPos.Panel_VelY, "-1.25"},
        {&velPos.Panel_VelZ, "2.00"},
        {&velPos.Panel_BiasRate, "0.75"}}},
      {0x56,
       Singles({-0.5f, 1.5f, 0.0f, -0.75f, 9.0f}),
       {{&velPos.Panel_East, "-0.50"},
        {&velPos.Panel_North, "1.50"},
        {&velPos.Panel_Up, "0.00"},
        {&velPos.Panel_ENUBiasRate, "-0.75"}}},
      {0x84,
       FourDoubles(1.0, -0.5, 1234.5678, 0.126),
       {{&velPos.Panel_Latitude, "57.295828"},
        {&velPos.Panel_Longitude, "-28.647914"},
        {&velPos.Panel_Altitude, "1234.568"},
        {&velPos.Panel_LLABias, "0.13"}}},
      {0x4A,
       Singles({1.0f, 0.5f, 99.96f, -3.5f, 7.0f}),
       {{&velPos.Panel_Latitude, "57.295828"},
        {&velPos.Panel_Longitude, "28.647914"},
        {&velPos.Panel_Altitude, "100.0"},
        {&velPos.Panel_LLABias, "-3.50"}}},
  };
  for (const Case& c : cases) {
    Decode(c.decoder, c.payload);
    for (const auto& [panel, text] : c.texts)
      EXPECT_EQ(panel->Caption(), text) << panel->Name();
  }
  // Each position group's hint names the report that filled it last; velocities set none.
  EXPECT_EQ(velPos.Panel_ECEFPosition.Hint(), "Single Precision ECEF Position: Packet 0x42");
  EXPECT_EQ(velPos.Panel_LLAPosition.Hint(), "Single Precision LLA Position: Packet 0x4A");
  Decode(0x83, cases[0].payload);
  Decode(0x84, cases[4].payload);
  EXPECT_EQ(velPos.Panel_ECEFPosition.Hint(), "Double Precision ECEF Position: Packet 0x83");
  EXPECT_EQ(velPos.Panel_LLAPosition.Hint(), "Double Precision LLA Position: Packet 0x84");
}

// ---- 0x4A of 9 bytes, 0x4E
// ------------------------------------------------------------------------

TEST_F(PositionReports, ReferenceAltitudeAndTimeAccepted) {
  ChangeLog log(app);
  Bytes altitude = Singles({100.25f, 0, 0});
  altitude.resize(9);
  Decode(0x4A, altitude);
  EXPECT_EQ(app.Form_Altitude.Edit_Altitude.Text(), "100.250");
  EXPECT_EQ(app.segmentReadback.referenceAltitude.load(), 100.25f);
  EXPECT_EQ(log.changes, std::vector<std::string>{"TForm_Altitude.Edit_Altitude"});

  Shape& circle = app.Form_InitialTime.Shape_TimeAccepted;
  Decode(0x4E, {'Y'});
  EXPECT_EQ(circle.BrushColor(), colours::kGreen);
  Decode(0x4E, {'N'});
  EXPECT_EQ(circle.BrushColor(), colours::kRed);
}

TEST_F(PositionReports, LlaAndReferenceAltitudeFromTheWireGoByLength) {
  ASSERT_TRUE(rig.Start());
  // 9.0f and 2.26f both hold a 0x10 byte, doubled on the wire.
  testing::PacketBytes altitude{0x4A};
  const Bytes a = Singles({9.0f, 0, 0});
  altitude.insert(altitude.end(), a.begin(), a.begin() + 9);
  rig.port.ReceivePacket(altitude);
  app.ReadAndDispatchReports();
  EXPECT_EQ(app.Form_Altitude.Edit_Altitude.Text(), "9.000");
  EXPECT_EQ(velPos.Panel_Altitude.Caption(), "");

  testing::PacketBytes lla{0x4A};
  const Bytes l = Singles({0.5f, 0.5f, 2.26f, 0.0f, 0.0f});
  lla.insert(lla.end(), l.begin(), l.end());
  rig.port.ReceivePacket(lla);
  app.ReadAndDispatchReports();
  EXPECT_EQ(velPos.Panel_Latitude.Caption(), "28.647914");
  EXPECT_EQ(velPos.Panel_Altitude.Caption(), "2.3");
  EXPECT_EQ(app.Form_Altitude.Edit_Altitude.Text(), "9.000");
}

// ---- 0x8F-0B
// --------------------------------------------------------------------------------------

TEST_F(PositionReports, ComprehensiveTimePanelsFollowTheSignOfTheUtcOffset) {
  struct Case {
    int16_t offset;
    const char* gps;
    const char* utc;
    Colour utcColour;
    const char* offsetText;
  };
  const Case cases[] = {
      {-14, "Sun 00:01:40", "Sun 00:01:26", colours::kWindow, "14"},
      {14, "Sun 00:01:54", "Sun 00:01:40", colours::kWindow, "14"},
      {0, "Sun 00:01:40", "", colours::kButtonFace, "0"},
  };
  for (const Case& c : cases) {
    add.Panel_UTCTime.SetCaption("before");
    Decode(0x8F, Comprehensive({.utcOffset = c.offset}));
    EXPECT_EQ(add.Panel_GPSTime.Caption(), c.gps) << c.offset;
    EXPECT_EQ(add.Panel_UTCTime.Caption(), c.utc) << c.offset;
    EXPECT_EQ(add.Panel_UTCTime.Color(), c.utcColour) << c.offset;
    EXPECT_EQ(add.Panel_UTCOffset.Caption(), c.offsetText) << c.offset;
  }
}

TEST_F(PositionReports, ComprehensiveTimeFillsTheAdditionalTimingWindow) {
  add.Panel_EventCounter.SetCaption("3");
  for (int i = 0; i < 3; ++i)
    add.Panel_SV[static_cast<size_t>(i)].SetCaption("x");
  Decode(0x8F, Comprehensive({.prns = {5, -7, 0, 32, -128, 127, 1, -1}}));
  const std::vector<std::pair<Panel*, std::string>> texts = {
      {&add.Panel_EventCounter, "3"},  // no event: left alone
      {&add.Panel_EventTime, ""},       {&add.Panel_TOW, "100.00"},
      {&add.Panel_Date, "Nov 5, 2006"}, {&add.Panel_RecMode, "Full Position (3D)"},
      {&add.Panel_Bias, "12.346"},      {&add.Panel_DriftRate, "-0.500"},
      {&add.Panel_BiasUnc, "2.250"},    {&add.Panel_DriftUnc, "0.126"},
      {&add.Panel_LatDeg, "33\u00B0"},  {&add.Panel_LatMin, "30.0000'"},
      {&add.Panel_NorthSouth, "S"},     {&add.Panel_LonDeg, "0\u00B0"},
      {&add.Panel_LonMin, "0.0000'"},   {&add.Panel_EastWest, "E"},
      {&add.Panel_Alt, "45.679"},
  };
  for (const auto& [panel, text] : texts)
    EXPECT_EQ(panel->Caption(), text) << panel->Name();
  // Used for fixes: aqua; tracked only (negative): window colour; 0: an empty slot.
  const std::array<std::string, 8> svs = {"5", "7", "", "32", "128", "127", "1", "1"};
  const std::array<bool, 8> used = {true, false, false, true, false, true, true, false};
  for (size_t i = 0; i < svs.size(); ++i) {
    EXPECT_EQ(add.Panel_SV[i].Caption(), svs[i]) << i;
    EXPECT_EQ(add.Panel_SV[i].Color(), used[i] ? colours::kAqua : colours::kWindow) << i;
  }

  Decode(0x8F, Comprehensive({.eventCount = 9,
                              .timeOfWeek = 3723.5,
                              .month = 13,
                              .mode = -1,
                              .latitudeDeg = 51.25,
                              .longitudeDeg = -0.75}));
  const std::vector<std::pair<Panel*, std::string>> second = {
      {&add.Panel_EventCounter, "9"},   {&add.Panel_EventTime, "1:02:03.500000000"},
      {&add.Panel_Date, "??? 5, 2006"}, {&add.Panel_RecMode, "Invalid Mode"},
      {&add.Panel_LatDeg, "51\u00B0"},  {&add.Panel_LatMin, "15.0000'"},
      {&add.Panel_NorthSouth, "N"},     {&add.Panel_LonDeg, "0\u00B0"},
      {&add.Panel_LonMin, "45.0000'"},  {&add.Panel_EastWest, "W"},
  };
  for (const auto& [panel, text] : second)
    EXPECT_EQ(panel->Caption(), text) << panel->Name();

  // Angles rounded up to the next degree carry into it.
  Decode(0x8F, Comprehensive({.latitudeDeg = -51.99999999, .longitudeDeg = 0.99999999}));
  EXPECT_EQ(
      add.Panel_LatDeg.Caption() + add.Panel_LatMin.Caption() + add.Panel_NorthSouth.Caption(),
      "52\u00B00.0000'S");
  EXPECT_EQ(add.Panel_LonDeg.Caption() + add.Panel_LonMin.Caption() + add.Panel_EastWest.Caption(),
            "1\u00B00.0000'E");

  const std::vector<std::pair<int8_t, std::string>> modes = {{0, "Horizontal (2D)"},
                                                             {2, "Single Satellite (0D)"},
                                                             {6, "Overdetermined clock"},
                                                             {7, "Invalid Mode"}};
  for (const auto& [mode, text] : modes) {
    Decode(0x8F, Comprehensive({.mode = mode}));
    EXPECT_EQ(add.Panel_RecMode.Caption(), text) << int{mode};
  }
}

TEST_F(PositionReports, ComprehensiveTimeDrivesTheMainPositionOnlyWithoutTimingPackets) {
  Decode(0x8F, Comprehensive({.latitudeDeg = 37.5, .longitudeDeg = -0.5}));
  EXPECT_EQ(main.Panel_Mode.Caption(), "Full Position (3D)");
  EXPECT_EQ(main.Panel_Latitude.Caption(), "37.500000");
  EXPECT_EQ(main.Panel_Longitude.Caption(), "-0.500000");
  EXPECT_EQ(main.Panel_Altitude.Caption(), "45.7");
  EXPECT_EQ(main.Panel_Position.Hint(), "Position: Packet 8F-0B");

  SetTimingPackets(true);
  ChangeLog log(app);
  Decode(0x8F, Comprehensive({.mode = 0, .latitudeDeg = 1}));
  EXPECT_FALSE(log.changes.empty());
  for (const std::string& change : log.changes)
    EXPECT_EQ(change.rfind("TForm_AddTiming.", 0), 0u) << change;
}

}  // namespace
}  // namespace zelkon
