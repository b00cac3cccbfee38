#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/dispatcher.h"
#include "decode/status.h"
#include "link/codec.h"
#include "support/decoder_helpers.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::Decode;

using testing::TestRig;
using Bytes = std::vector<uint8_t>;

Bytes Health(int code) { return {static_cast<uint8_t>(code), 0x00}; }

Bytes Tracking(int prn, uint8_t channelByte, float amu = 0, float time = 0, float elevation = 0,
               float azimuth = 0, int acquired = 1, int ephemeris = 1) {
  Bytes p(24);
  p[0] = static_cast<uint8_t>(prn);
  p[1] = channelByte;
  p[2] = static_cast<uint8_t>(acquired);
  p[3] = static_cast<uint8_t>(ephemeris);
  WriteSingle(amu, &p[4]);
  WriteSingle(time, &p[8]);
  WriteSingle(elevation, &p[12]);
  WriteSingle(azimuth, &p[16]);
  return p;
}

uint8_t ChannelByte(int channel) { return static_cast<uint8_t>(channel << 3); }

Bytes Selection(std::vector<int> prns, float pdop = 1.5f, float hdop = 0.9f, float vdop = 1.2f,
                float tdop = 0.75f) {
  Bytes p(17);
  WriteSingle(pdop, &p[1]);
  WriteSingle(hdop, &p[5]);
  WriteSingle(vdop, &p[9]);
  WriteSingle(tdop, &p[13]);
  for (int prn : prns)
    p.push_back(static_cast<uint8_t>(static_cast<int8_t>(prn)));
  return p;
}

Bytes RawMeasurement(int prn, float sampleMs, float amu, float codePhase, float doppler,
                     double time) {
  Bytes p(25);
  p[0] = static_cast<uint8_t>(prn);
  WriteSingle(sampleMs, &p[1]);
  WriteSingle(amu, &p[5]);
  WriteSingle(codePhase, &p[9]);
  WriteSingle(doppler, &p[13]);
  WriteDouble(time, &p[17]);
  return p;
}

Bytes EphemerisStatus(int prn, float collected, int health, int iode, float toe, int fit,
                      float ura) {
  Bytes p(16);
  p[0] = static_cast<uint8_t>(prn);
  WriteSingle(collected, &p[1]);
  p[5] = static_cast<uint8_t>(health);
  p[6] = static_cast<uint8_t>(iode);
  WriteSingle(toe, &p[7]);
  p[11] = static_cast<uint8_t>(fit);
  WriteSingle(ura, &p[12]);
  return p;
}

// Every caption and colour of the satellite display, and the countdowns behind it.
struct SatelliteDisplay {
  std::vector<std::string> texts;
  std::vector<Colour> colours;
  std::array<int32_t, kChannelCount> countdowns;
  bool operator==(const SatelliteDisplay&) const = default;
};

SatelliteDisplay Snapshot(Monitor& app) {
  SatelliteDisplay d;
  for (size_t i = 0; i < kChannelCount; ++i) {
    d.texts.push_back(app.Form_Track.Panel_TS[i].Caption());
    d.texts.push_back(app.Form_Main.Panel_SV[i].Caption());
    d.texts.push_back(app.Form_Main.Panel_AMU[i].Caption());
    d.colours.push_back(app.Form_Main.Panel_SV[i].Color());
  }
  d.countdowns = app.state.TrackCountdown;
  return d;
}

// ---- 0x46 ----

TEST(HealthReport, StatusTextOfEveryCode) {
  const std::vector<std::pair<int, std::string>> cases = {
      {0, "Doing Fixes"},
      {1, "Don't have GPS time"},
      {2, "Need initialization"},
      {3, "PDOP too high"},
      {4, ""},
      {5, ""},
      {7, ""},
      {8, "No usable satellites"},
      {9, "Only 1 usable SV"},
      {10, "Only 2 usable SVs"},
      {11, "Only 3 usable SVs"},
      {12, "Choosen SV is unusable"},
      {13, ""},
      {255, ""},
  };
  TestRig rig;
  TForm_Main& main = rig.app.Form_Main;
  for (const auto& [code, text] : cases) {
    main.Panel_Status.SetCaption("previous");
    Decode(0x46, rig.app, Health(code));
    EXPECT_EQ(main.Panel_Status.Caption(), text) << "code " << code;
  }
  EXPECT_EQ(main.Panel_ModeAndStatus.Hint(), "Mode and Status: Packets 0x46, 8F-0B");
}

TEST(HealthReport, IgnoredAtOtherLengthsAndWhileTimingPacketsArePolled) {
  TestRig rig;
  TForm_Main& main = rig.app.Form_Main;
  const std::string designHint = main.Panel_ModeAndStatus.Hint();
  main.Panel_Status.SetCaption("kept");

  Decode(0x46, rig.app, {0x00});
  Decode(0x46, rig.app, {0x00, 0x00, 0x00});
  main.ControlPollingTimingPkts.SetChecked(true);
  Decode(0x46, rig.app, Health(0));

  EXPECT_EQ(main.Panel_Status.Caption(), "kept");
  EXPECT_EQ(main.Panel_ModeAndStatus.Hint(), designHint);
}

// ---- 0x5C and the satellite display ----

TEST(TrackingStatus, RowLinesUpUnderTheHeadingsAndFillsTheMainWindowChannel) {
  TestRig rig;
  Monitor& app = rig.app;
  // Bits 2 to 0 of the channel byte are not part of the channel number.
  for (uint8_t channelByte : {uint8_t{0x18}, uint8_t{0x1F}}) {
    Decode(0x5C, app, Tracking(14, channelByte, 12.5f, 3.0f, 0.5f, 1.0f));

    const std::string row = app.Form_Track.Panel_TS[3].Caption();
    EXPECT_EQ(row, " 14   4    1   1    12.5       3.0  28.6   57.3");
    EXPECT_EQ(row.size(), 47u);
    EXPECT_EQ(app.Form_Main.Panel_SV[3].Caption(), "14");
    EXPECT_EQ(app.Form_Main.Panel_AMU[3].Caption(), " 12.5");
    EXPECT_EQ(app.state.TrackCountdown[3], 5);
  }
  // No other channel moved.
  for (size_t i : {0u, 2u, 4u, 11u}) {
    EXPECT_EQ(app.Form_Track.Panel_TS[i].Caption(), "");
    EXPECT_EQ(app.Form_Main.Panel_SV[i].Caption(), "0");
    EXPECT_EQ(app.state.TrackCountdown[i], 0);
  }
}

TEST(TrackingStatus, WideValuesAndTheLastChannel) {
  TestRig rig;
  Monitor& app = rig.app;
  // Negative angles (below the horizon, west of north) and a long time keep their own widths.
  Decode(0x5C, app, Tracking(7, ChannelByte(11), 0.0f, 123456.7f, -0.1f, -3.0f, 2, 0));
  EXPECT_EQ(app.Form_Track.Panel_TS[11].Caption(),
            "  7  12    2   0     0.0  123456.7  -5.7 -171.9");
  EXPECT_EQ(app.Form_Main.Panel_SV[11].Caption(), " 7");
  EXPECT_EQ(app.Form_Main.Panel_AMU[11].Caption(), "  0.0");
}

TEST(TrackingStatus, ChannelsBeyondTwelveAndWrongLengthsChangeNothing) {
  TestRig rig;
  Monitor& app = rig.app;
  Decode(0x5C, app, Tracking(14, ChannelByte(3), 12.5f));
  const SatelliteDisplay before = Snapshot(app);

  Decode(0x5C, app, Tracking(21, 0x60, 40.0f));  // channel 12
  Decode(0x5C, app, Tracking(21, 0xF8, 40.0f));  // channel 31
  Bytes shortReport = Tracking(21, ChannelByte(3), 40.0f);
  shortReport.pop_back();
  Decode(0x5C, app, shortReport);
  Bytes longReport = Tracking(21, ChannelByte(3), 40.0f);
  longReport.push_back(0);
  Decode(0x5C, app, longReport);

  EXPECT_EQ(Snapshot(app), before);
}

TEST(TrackingStatus, SatelliteColourFollowsTheLastSelectionAtTheChannelsNextReport) {
  TestRig rig;
  Monitor& app = rig.app;
  Panel& sv1 = app.Form_Main.Panel_SV[0];
  Decode(0x6D, app, Selection({14, -9}));

  const std::vector<std::pair<int, Colour>> cases = {
      {14, colours::kGreen},  // used for fixes
      {9, colours::kYellow},  // excluded by the receiver
      {3, colours::kWindow},  // not in the list
      {0, colours::kWindow},  // an empty channel, though the list has empty entries
  };
  for (const auto& [prn, colour] : cases) {
    Decode(0x5C, app, Tracking(prn, ChannelByte(0)));
    EXPECT_EQ(sv1.Color(), colour) << "PRN " << prn;
  }

  // A new list repaints nothing by itself; the next tracking report of the channel does.
  Decode(0x5C, app, Tracking(14, ChannelByte(0)));
  ASSERT_EQ(sv1.Color(), colours::kGreen);
  Decode(0x6D, app, Selection({}));
  EXPECT_EQ(sv1.Color(), colours::kGreen);
  Decode(0x5C, app, Tracking(14, ChannelByte(0)));
  EXPECT_EQ(sv1.Color(), colours::kWindow);
}

TEST(ColourSvPanel, FirstMatchingEntryDecides) {
  TestRig rig;
  Monitor& app = rig.app;
  Panel& panel = app.Form_Main.Panel_SV[5];
  app.state.SelectedSVs = {1, 2, -5, 5, 0, 0, 0, 0, 0, 0, 0, 30};
  ColourSvPanel(app, 5, panel);
  EXPECT_EQ(panel.Color(), colours::kYellow);
  ColourSvPanel(app, 30, panel);  // the last entry is searched too
  EXPECT_EQ(panel.Color(), colours::kGreen);
  ColourSvPanel(app, 0, panel);
  EXPECT_EQ(panel.Color(), colours::kWindow);
}

// ---- 0x6D ----

TEST(SatelliteSelection, DilutionsListAndSelectedSatellites) {
  TestRig rig;
  Monitor& app = rig.app;
  TForm_Track& track = app.Form_Track;
  Decode(0x6D, app, Selection({14, -9, 127, -128}, 2.25f, 1.04f, 10.0f, 0.96f));

  EXPECT_EQ(track.Panel_PDOP.Caption(), "2.2");  // 2.25 is 2.25 exactly: rounds to even
  EXPECT_EQ(track.Panel_HDOP.Caption(), "1.0");
  EXPECT_EQ(track.Panel_VDOP.Caption(), "10.0");
  EXPECT_EQ(track.Panel_TDOP.Caption(), "1.0");
  EXPECT_EQ(track.Panel_SVSel.Caption(), "  14  -9 127-128");
  EXPECT_EQ(app.state.SelectedSVs,
            (std::array<int32_t, kChannelCount>{14, -9, 127, -128, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(SatelliteSelection, EachListReplacesTheWholeSelectionAndShortReportsAreIgnored) {
  TestRig rig;
  Monitor& app = rig.app;
  Decode(0x6D, app, Selection({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  Decode(0x6D, app, Selection({20}));
  EXPECT_EQ(app.state.SelectedSVs,
            (std::array<int32_t, kChannelCount>{20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(app.Form_Track.Panel_SVSel.Caption(), "  20");

  Decode(0x6D, app, Selection({}));
  EXPECT_EQ(app.state.SelectedSVs, (std::array<int32_t, kChannelCount>{}));
  EXPECT_EQ(app.Form_Track.Panel_SVSel.Caption(), "");

  // Shorter than the four dilutions: ignored.
  Decode(0x6D, app, Selection({5, -6}));
  Bytes truncated = Selection({}, 9.0f);
  truncated.pop_back();
  Decode(0x6D, app, truncated);
  EXPECT_EQ(app.Form_Track.Panel_PDOP.Caption(), "1.5");
  EXPECT_EQ(app.Form_Track.Panel_SVSel.Caption(), "   5  -6");
  EXPECT_EQ(app.state.SelectedSVs[1], -6);
}

TEST(SatelliteSelection, MoreThanTwelveAreAllListedButOnlyTwelveSelected) {
  TestRig rig;
  Monitor& app = rig.app;
  std::vector<int> prns;
  std::string list;
  for (int prn = 1; prn <= 14; ++prn) {
    prns.push_back(prn);
    list += (prn < 10 ? "   " : "  ") + std::to_string(prn);
  }
  Decode(0x6D, app, Selection(prns));

  EXPECT_EQ(app.Form_Track.Panel_SVSel.Caption(), list);
  EXPECT_EQ(app.state.SelectedSVs,
            (std::array<int32_t, kChannelCount>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  // The thirteenth is not in the selection the colours follow.
  Decode(0x5C, app, Tracking(13, ChannelByte(0)));
  EXPECT_EQ(app.Form_Main.Panel_SV[0].Color(), colours::kWindow);
}

// ---- Expiry of silent channels ----

TEST(ExpireTrackingChannels, ClearsAChannelOnTheFifthRoundWithoutAReport) {
  TestRig rig;
  Monitor& app = rig.app;
  Decode(0x6D, app, Selection({14, 22}));
  Decode(0x5C, app, Tracking(14, ChannelByte(0), 40.0f));
  Decode(0x5C, app, Tracking(22, ChannelByte(5), 35.0f));

  for (int round = 1; round <= 4; ++round) {
    ExpireTrackingChannels(app);
    if (round == 2) Decode(0x5C, app, Tracking(22, ChannelByte(5), 36.0f));
  }
  EXPECT_EQ(app.Form_Main.Panel_SV[0].Caption(), "14");
  EXPECT_EQ(app.Form_Main.Panel_SV[0].Color(), colours::kGreen);

  ExpireTrackingChannels(app);  // round 5: channel 0 goes, channel 5 was refreshed in round 2
  EXPECT_EQ(app.Form_Track.Panel_TS[0].Caption(), "");
  EXPECT_EQ(app.Form_Main.Panel_SV[0].Caption(), "0");
  EXPECT_EQ(app.Form_Main.Panel_SV[0].Color(), colours::kWindow);
  EXPECT_EQ(app.Form_Main.Panel_AMU[0].Caption(), "0.0");
  EXPECT_EQ(app.state.TrackCountdown[0], 0);
  EXPECT_EQ(app.Form_Main.Panel_SV[5].Caption(), "22");
  EXPECT_EQ(app.Form_Main.Panel_SV[5].Color(), colours::kGreen);
  EXPECT_EQ(app.state.TrackCountdown[5], 2);

  // Cleared channels stay as they are: nothing counts below zero, nothing is rewritten.
  app.Form_Main.Panel_AMU[0].SetCaption("marker");
  for (int round = 0; round < 10; ++round)
    ExpireTrackingChannels(app);
  EXPECT_EQ(app.state.TrackCountdown[0], 0);
  EXPECT_EQ(app.Form_Main.Panel_AMU[0].Caption(), "marker");
  EXPECT_EQ(app.Form_Main.Panel_SV[5].Caption(), "0");
}

TEST(ExpireTrackingChannels, PollLoopClearsAChannelSilentForSixSeconds) {
  TestRig rig;
  ASSERT_TRUE(rig.Start());
  rig.loop.RunFor(3000);  // start-up set-up and the first poll rounds

  rig.port.ReceivePacket([] {
    Bytes packet = Tracking(14, ChannelByte(3), 12.5f);
    packet.insert(packet.begin(), 0x5C);
    return packet;
  }());
  rig.loop.RunFor(4400);
  EXPECT_EQ(rig.app.Form_Main.Panel_SV[3].Caption(), "14");
  EXPECT_EQ(rig.app.Form_Main.Panel_AMU[3].Caption(), " 12.5");

  rig.loop.RunFor(2000);
  EXPECT_EQ(rig.app.Form_Main.Panel_SV[3].Caption(), "0");
  EXPECT_EQ(rig.app.Form_Main.Panel_AMU[3].Caption(), "0.0");
  EXPECT_EQ(rig.app.Form_Track.Panel_TS[3].Caption(), "");
}

// ---- 0x5A ----

TEST(RawMeasurement, ShowsOnlyTheSatelliteOfTheSelectedTab) {
  TestRig rig;
  Monitor& app = rig.app;
  TForm_RawMeas& f = app.Form_RawMeas;
  f.TabControl_SV.SetTabIndex(6);  // PRN 7

  Decode(0x5A, app, RawMeasurement(7, 20.0f, 14.25f, 123.5f, -1234.567f, 345678.125));
  EXPECT_EQ(f.Panel_SampleLen.Caption(), "20.000000");
  EXPECT_EQ(f.Panel_SignalLevel.Caption(), "14.2");
  EXPECT_EQ(f.Panel_CodePhase.Caption(), "123.500000");
  EXPECT_EQ(f.Panel_Doppler.Caption(), "-1234.57");
  EXPECT_EQ(f.Panel_Time.Caption(), "345678.12");

  Bytes truncated = RawMeasurement(7, 1, 1, 1, 1, 1);
  truncated.pop_back();
  const std::vector<Bytes> ignored = {
      RawMeasurement(8, 1, 1, 1, 1, 1),  // the neighbours of the shown satellite
      RawMeasurement(6, 1, 1, 1, 1, 1),
      truncated,
  };
  for (const Bytes& report : ignored)
    Decode(0x5A, app, report);
  EXPECT_EQ(f.Panel_SampleLen.Caption(), "20.000000");
  EXPECT_EQ(f.Panel_Time.Caption(), "345678.12");
}

// ---- 0x5B ----

TEST(EphemerisStatus, MovesTheSelectorToItsSatelliteAndFillsTheSixPanels) {
  TestRig rig;
  Monitor& app = rig.app;
  TForm_EphemStat& f = app.Form_EphemStat;

  Decode(0x5B, app, EphemerisStatus(7, 86400.125f, 0, 5, 93600.0f, 0, 2.8f));
  EXPECT_EQ(f.ComboBox_SV.ItemIndex(), 6);
  EXPECT_EQ(f.ComboBox_SV.Text(), "7");
  EXPECT_EQ(f.Panel_Time.Caption(), "86400.12");
  EXPECT_EQ(f.Panel_Health.Caption(), "0");
  EXPECT_EQ(f.Panel_IODE.Caption(), "05");
  EXPECT_EQ(f.Panel_toe.Caption(), "93600.00");
  EXPECT_EQ(f.Panel_FitFlag.Caption(), "0");
  EXPECT_EQ(f.Panel_Accuracy.Caption(), "2.80");

  Decode(0x5B, app, EphemerisStatus(32, 0, 0x3F, 0xAB, 0, 0x1C, 0));
  EXPECT_EQ(f.ComboBox_SV.Text(), "32");
  EXPECT_EQ(f.Panel_Health.Caption(), "3F");
  EXPECT_EQ(f.Panel_IODE.Caption(), "AB");
  EXPECT_EQ(f.Panel_FitFlag.Caption(), "1C");

  Bytes longer = EphemerisStatus(3, 0, 1, 1, 0, 1, 0);
  longer.push_back(0);
  Decode(0x5B, app, longer);
  EXPECT_EQ(f.ComboBox_SV.Text(), "32");
  EXPECT_EQ(f.Panel_Health.Caption(), "3F");
}

}  // namespace
}  // namespace zelkon
