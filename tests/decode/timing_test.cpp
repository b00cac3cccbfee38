#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
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

struct PrimaryFields {
  uint32_t timeOfWeek = 3600;
  uint16_t week = 1400;
  int16_t utcOffset = 14;
  uint8_t flags = 0, seconds = 3, minutes = 5, hours = 7, day = 5, month = 11;
  uint16_t year = 2006;
};

Bytes Primary(const PrimaryFields& f) {
  Bytes p = {0xAB, 0, 0, 0, 0, 0, 0, 0, 0, f.flags, f.seconds, f.minutes, f.hours, f.day, f.month};
  p.resize(17);
  WriteU32(f.timeOfWeek, &p[1]);
  WriteU16(f.week, &p[5]);
  WriteU16(static_cast<uint16_t>(f.utcOffset), &p[7]);
  WriteU16(f.year, &p[15]);
  return p;
}

struct SupplementalFields {
  uint8_t mode = 7, selfSurvey = 100;
  uint16_t minorAlarms = 0;
  uint8_t status = 0;
  double latitudeDeg = 37.5, longitudeDeg = -122.25, altitude = 123.46;
  uint8_t ppsGenerated = 1;
};

Bytes Supplemental(const SupplementalFields& f) {
  Bytes p(68);
  p[0] = 0xAC;
  p[1] = f.mode;
  p[3] = f.selfSurvey;
  WriteU16(f.minorAlarms, &p[10]);
  p[12] = f.status;
  WriteSingle(-3.5f, &p[16]);   // PPS offset
  WriteSingle(0.25f, &p[20]);   // oscillator offset
  WriteSingle(1.126f, &p[60]);  // quantization error
  WriteDouble(f.latitudeDeg / DegreesPerRadian, &p[36]);
  WriteDouble(f.longitudeDeg / DegreesPerRadian, &p[44]);
  WriteDouble(f.altitude, &p[52]);
  p[64] = f.ppsGenerated;
  return p;
}

struct UtcFields {
  uint16_t eventCount = 0;
  double fraction = 0.5;
  uint8_t hours = 23, minutes = 59, seconds = 59, day = 5, month = 11;
  uint8_t status = 0, flags = 0;
};

Bytes PrimaryUtc(const UtcFields& f) {
  Bytes p = {
      0xAD,    0,         0,         0,     0,       0,    0,    0,        0,      0, 0,
      f.hours, f.minutes, f.seconds, f.day, f.month, 0x07, 0xD6, f.status, f.flags};  // year 2006
  p.resize(22);
  WriteU16(f.eventCount, &p[1]);
  WriteDouble(f.fraction, &p[3]);
  return p;
}

class TimingReports : public ::testing::Test {
 protected:
  void Decode(uint8_t decoder, const Bytes& payload) { testing::Decode(decoder, app, payload); }
  void SetTimingPackets(bool on) { main.ControlPollingTimingPkts.SetChecked(on); }

  testing::TestRig rig;
  Monitor& app = rig.app;
  TForm_Main& main = rig.app.Form_Main;
  TForm_AddTiming& add = rig.app.Form_AddTiming;
};

TEST_F(TimingReports, AnyOtherLengthChangesNothing) {
  SetTimingPackets(true);
  app.Feature<TimeToPcRequest>().pending = true;
  app.Feature<PositionDownloadRequest>().pending = true;
  ChangeLog log(app);
  const std::vector<std::pair<uint8_t, Bytes>> reports = {
      {0x8F, Primary({.flags = 1})},
      {0x8F, Supplemental({.minorAlarms = 0xFFFF})},
      {0x8F, PrimaryUtc({.eventCount = 1, .flags = 0xFF})},
  };
  for (const auto& [decoder, payload] : reports) {
    for (size_t length : {size_t{1}, payload.size() - 1, payload.size() + 1}) {
      Bytes wrong = payload;
      wrong.resize(length);
      Decode(decoder, wrong);
    }
  }
  EXPECT_TRUE(log.changes.empty());
  EXPECT_EQ(app.state.TimeCountdown, 0);
  EXPECT_EQ(app.state.TimingStatusCountdown, 0);
  EXPECT_TRUE(app.Feature<TimeToPcRequest>().pending);
  EXPECT_TRUE(app.Feature<PositionDownloadRequest>().pending);
}

// ---- 0x8F-AB ------------------------------------------------------------------------------------

TEST_F(TimingReports, PrimaryFillsTheTimeGroupInOrderWithoutTouchingTheCountdown) {
  SetTimingPackets(true);
  main.Panel_Timing.SetHint("Time: Packet 0x41");
  ChangeLog log(app);
  Decode(0x8F, Primary({.flags = 1}));
  EXPECT_EQ(main.Panel_TOW.Caption(), "3600");
  EXPECT_EQ(main.Panel_WeekNum.Caption(), "1400");
  EXPECT_EQ(main.Panel_UTCOffset.Caption(), "14");
  EXPECT_EQ(main.Panel_Time.Caption(), "07:05:03");
  EXPECT_EQ(main.Panel_Date.Caption(), "Nov 5, 2006");  // no leading blank here
  EXPECT_EQ(main.Label_TimeType.Caption(), "UTC");
  EXPECT_EQ(main.Panel_Timing.Hint(), "Time: Packet 8F-AB");
  EXPECT_EQ(log.changes,
            (std::vector<std::string>{"TForm_Main.Panel_TOW", "TForm_Main.Panel_WeekNum",
                                      "TForm_Main.Panel_UTCOffset", "TForm_Main.Panel_Time",
                                      "TForm_Main.Panel_Date", "TForm_Main.Label_TimeType",
                                      "TForm_Main.Panel_Timing"}));
  EXPECT_EQ(app.state.TimeCountdown, 0);

  // Only bit 0 of the flags counts; months outside 1..12 show a placeholder.
  Decode(0x8F, Primary({.utcOffset = -2, .flags = 2, .month = 13}));
  EXPECT_EQ(main.Label_TimeType.Caption(), "GPS");
  EXPECT_EQ(main.Panel_UTCOffset.Caption(), "-2");
  EXPECT_EQ(main.Panel_Date.Caption(), "??? 5, 2006");
}

TEST_F(TimingReports, PrimaryIsIgnoredWithoutTimingPackets) {
  app.Feature<TimeToPcRequest>().pending = true;
  ChangeLog log(app);
  Decode(0x8F, Primary({}));
  EXPECT_TRUE(log.changes.empty());
  EXPECT_TRUE(app.Feature<TimeToPcRequest>().pending);
}

TEST_F(TimingReports, PrimaryTakesUpAPendingTimeDownloadOnce) {
  SetTimingPackets(true);
  Decode(0x8F, Supplemental({}));  // doing fixes, no alarms
  app.Feature<TimeToPcRequest>().pending = true;
  rig.dialogs.Answer(Answer::Ok);
  const auto week = static_cast<uint16_t>(BuildWeekWindow().earliest + 10);
  Decode(0x8F, Primary({.timeOfWeek = 3600, .week = week, .utcOffset = 14}));
  Decode(0x8F, Primary({}));
  EXPECT_FALSE(app.Feature<TimeToPcRequest>().pending);
  // The clock is set from the report at once; the message waits for the packet loop to end.
  EXPECT_EQ(rig.systemTime.setCalls,
            (std::vector<UtcTime>{GpsSecondsToCalendar(week * 604800.0 + 3600 - 14)}));
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
  rig.FinishPacketLoop();
  ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(rig.dialogs.Boxes()[0].text, "PC time was set.");
}

// ---- 0x8F-AC ------------------------------------------------------------------------------------

TEST_F(TimingReports, SupplementalAlwaysShowsTimingOutputsAndAlarms) {
  std::array<Panel*, 4> live = {&main.Panel_SelfSurvey, &main.Panel_PPSOffset, &main.Panel_10MHz,
                                &main.Panel_Quantization};
  for (Panel* panel : live)
    panel->SetColor(colours::kButtonFace);
  app.Feature<PositionDownloadRequest>().pending = true;
  ChangeLog log(app);
  Decode(0x8F, Supplemental({.minorAlarms = 0x0802}));

  EXPECT_EQ(app.state.TimeCountdown, 5);
  EXPECT_EQ(app.state.TimingStatusCountdown, 5);
  const std::array<std::string, 4> texts = {"100%", "-3.50", "0.25", "1.13"};
  for (size_t i = 0; i < live.size(); ++i) {
    EXPECT_EQ(live[i]->Caption(), texts[i]);
    EXPECT_EQ(live[i]->Color(), colours::kWindow) << live[i]->Name();
  }
  EXPECT_EQ(main.Shape_PPS.BrushColor(), colours::kGreen);
  for (Shape* led : main.AlarmLeds()) {
    const bool set = led == &main.Shape_Bit1 || led == &main.Shape_Bit11;
    EXPECT_EQ(led->BrushColor(), set ? colours::kYellow : colours::kGreen) << led->Name();
  }
  // Without timing packets, position, mode, status and the download belong to other reports.
  for (const std::string& change : log.changes) {
    for (const char* other : {"Panel_Latitude", "Panel_Longitude", "Panel_Altitude", "Panel_Mode",
                              "Panel_Status", "Panel_Position"}) {
      EXPECT_NE(change, std::string("TForm_Main.") + other);
    }
  }
  EXPECT_TRUE(app.Feature<PositionDownloadRequest>().pending);

  // Bits 0, 4 and 12 to 15 have no LED; all the others do.
  Decode(0x8F, Supplemental({.minorAlarms = 0xF011, .ppsGenerated = 0}));
  for (Shape* led : main.AlarmLeds())
    EXPECT_EQ(led->BrushColor(), colours::kGreen) << led->Name();
  EXPECT_EQ(main.Shape_PPS.BrushColor(), colours::kYellow);
  Decode(0x8F, Supplemental({.minorAlarms = 0x0FEE}));
  for (Shape* led : main.AlarmLeds())
    EXPECT_EQ(led->BrushColor(), colours::kYellow) << led->Name();
}

TEST_F(TimingReports, SupplementalWithTimingPacketsShowsPositionModeAndStatus) {
  SetTimingPackets(true);
  main.Panel_Position.SetHint("Position: Packet 8F-0B");
  Decode(0x8F, Supplemental({}));
  EXPECT_EQ(main.Panel_Latitude.Caption(), "37.500000");
  EXPECT_EQ(main.Panel_Longitude.Caption(), "-122.250000");
  EXPECT_EQ(main.Panel_Altitude.Caption(), "123.5");
  EXPECT_EQ(main.Panel_Position.Hint(), "Position: Packet 8F-AC");

  app.state.LatLonDegMin = true;
  Decode(0x8F, Supplemental({}));
  EXPECT_EQ(main.Panel_Latitude.Caption(), "37\u00B0 30' 0.000");
  EXPECT_EQ(main.Panel_Longitude.Caption(), "-122\u00B0 15' 0.000");

  const std::vector<std::pair<uint8_t, std::string>> modes = {
      {0, "Automatic (2D/3D)"}, {2, " "}, {7, "Overdetermined Clock"}, {8, "Invalid Mode"}};
  for (const auto& [mode, text] : modes) {
    Decode(0x8F, Supplemental({.mode = mode}));
    EXPECT_EQ(main.Panel_Mode.Caption(), text) << int{mode};
  }
  const std::vector<std::pair<uint8_t, std::string>> statuses = {{0, "Doing fixes"},
                                                                 {2, " "},
                                                                 {5, ""},
                                                                 {12, "Chosen SV is unusable"},
                                                                 {16, "TRAIM rejected fix"},
                                                                 {17, "Invalid Status"}};
  for (const auto& [status, text] : statuses) {
    main.Panel_Status.SetCaption("before");
    Decode(0x8F, Supplemental({.status = status}));
    EXPECT_EQ(main.Panel_Status.Caption(), text) << int{status};
  }
}

// ---- 0x8F-AD ------------------------------------------------------------------------------------

TEST_F(TimingReports, PrimaryUtcShowsTimeDateStatusAndEvents) {
  add.Panel_EventCounter.SetCaption("7");
  add.Panel_EventTime.SetCaption("earlier");
  Decode(0x8F, PrimaryUtc({.status = 13}));
  EXPECT_EQ(add.Panel_PrimaryUTCTime.Caption(), "23:59:59.500000000");
  EXPECT_EQ(add.Panel_UTCDate.Caption(), "Nov 5, 2006");
  EXPECT_EQ(add.Panel_Status.Caption(), "Overdetermined Fixes");
  EXPECT_EQ(add.Label_ADTime.Caption(), "Time");
  EXPECT_EQ(add.Panel_EventCounter.Caption(), "7");  // event count 0: left alone
  EXPECT_EQ(add.Panel_EventTime.Caption(), "earlier");

  Decode(0x8F, PrimaryUtc({.eventCount = 12,
                           .fraction = 0.25,
                           .hours = 7,
                           .minutes = 5,
                           .seconds = 3,
                           .month = 0,
                           .status = 14}));
  EXPECT_EQ(add.Panel_EventCounter.Caption(), "12");
  EXPECT_EQ(add.Panel_PrimaryUTCTime.Caption(), "7:05:03.250000000");
  EXPECT_EQ(add.Panel_EventTime.Caption(), "7:05:03.250000000");
  EXPECT_EQ(add.Panel_UTCDate.Caption(), "??? 5, 2006");
  EXPECT_EQ(add.Panel_Status.Caption(), "Invalid Status");

  // A fraction that rounds to a whole second stays in its own second: never "60.000000000", and
  // never a carry into a leap second's fields or the date the receiver sent.
  Decode(0x8F, PrimaryUtc({.fraction = 0.9999999997, .hours = 23, .minutes = 59, .seconds = 60}));
  EXPECT_EQ(add.Panel_PrimaryUTCTime.Caption(), "23:59:60.999999999");
}

TEST_F(TimingReports, PrimaryUtcFlagLeds) {
  using namespace colours;
  const std::vector<std::pair<uint8_t, std::array<Colour, 5>>> cases = {
      // LED0, LED4, LED5, LED6, LED7
      {0x21, {kGreen, kGrey, kOrange, kGrey, kGrey}},
      {0xFF, {kGreen, kYellow, kOrange, kRed, kTeal}},
      {0x0E, {kGrey, kGrey, kGrey, kGrey, kGrey}},  // bits 1 to 3 have no LED
  };
  for (const auto& [flags, expected] : cases) {
    Decode(0x8F, PrimaryUtc({.flags = flags}));
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_EQ(add.Leds()[i]->BrushColor(), expected[i]) << int{flags} << " LED " << i;
  }
}

TEST_F(TimingReports, SuperpacketsFromTheWireReachTheirDecoders) {
  ASSERT_TRUE(rig.Start());
  SetTimingPackets(true);
  // Fields holding 0x10 travel doubled on the wire.
  for (const Bytes& payload : {Primary({.timeOfWeek = 0x10101010, .week = 0x1010, .hours = 16}),
                               PrimaryUtc({.eventCount = 0x10, .flags = 0x10})}) {
    testing::PacketBytes packet(payload.size() + 1, 0x8F);
    std::copy(payload.begin(), payload.end(), packet.begin() + 1);
    rig.port.ReceivePacket(packet);
  }
  app.ReadAndDispatchReports();
  EXPECT_EQ(main.Panel_TOW.Caption(), "269488144");
  EXPECT_EQ(main.Panel_WeekNum.Caption(), "4112");
  EXPECT_EQ(main.Panel_Time.Caption(), "16:05:03");
  EXPECT_EQ(add.Panel_EventCounter.Caption(), "16");
  EXPECT_EQ(add.Shape_LED4.BrushColor(), colours::kYellow);
}

}  // namespace
}  // namespace zelkon
