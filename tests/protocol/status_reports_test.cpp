// The status, satellite and measurement parsers against the receiver emulator: the emulator builds
// each report with its own encoder from its own sky and channels, and the parsed fields must give
// that state back.
#include "reports/status.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "reports/report_types.h"
#include "sim/gps_time.h"
#include "sim/receiver.h"
#include "sim/reports.h"
#include "sim/sim_harness.h"
#include "sim/sim_options.h"
#include "support/report_fields.h"
#include "text/angles.h"

namespace zelkon {
namespace {

using testing::DefaultStartGps;
using testing::ExpectExactLengthOnly;
using testing::FieldNumber;
using testing::FieldText;
using testing::PacketJson;
using testing::ParsePacket;

constexpr double kSecondsPerWeek = 604800.0;

sim::SimOptions SettlingOptions() {
  sim::SimOptions options;
  options.seed = 23;
  options.acquireSeconds = 5;
  options.surveySeconds = 30;
  return options;
}

double TimeOfWeek(double gps) { return std::fmod(std::floor(gps), kSecondsPerWeek); }

float Radians(double degrees) { return static_cast<float>(degrees * std::numbers::pi / 180.0); }

// A receiver that has tracked for 45 s: every channel's satellite has its ephemeris.
class StatusReportParsers : public ::testing::Test {
 protected:
  StatusReportParsers() : receiver(options, DefaultStartGps()) {
    receiver.AdvanceTo(DefaultStartGps() + 45);
  }

  // A PRN the receiver tracks, and one that is not part of the constellation.
  int TrackedPrn() const {
    for (const sim::Channel& channel : receiver.sky.Channels()) {
      if (channel.prn != 0) return channel.prn;
    }
    ADD_FAILURE() << "no satellite tracked";
    return 1;
  }
  int InactivePrn() const {
    for (int prn = 1; prn <= sim::kPrnCount; ++prn) {
      if (!receiver.sky.Active(prn)) return prn;
    }
    ADD_FAILURE() << "every PRN is active";
    return 1;
  }

  sim::SimOptions options = SettlingOptions();
  sim::Receiver receiver;
};

// ---- 0x5C ----------------------------------------------------------------------------------

TEST_F(StatusReportParsers, TrackingStatusGivesEachChannelsSatelliteSignalAndAngles) {
  const double t = receiver.TrueGps();
  const std::vector<sim::Packet> reports = sim::TrackingStatusReports(receiver);
  ASSERT_GE(reports.size(), 4u);
  std::set<int> channels;
  for (const sim::Packet& packet : reports) {
    const auto r = ParsePacket<ParseTrackingStatus>(packet);
    ASSERT_TRUE(r);
    ASSERT_GE(r->Channel(), 0);
    ASSERT_LT(r->Channel(), sim::kChannels);
    EXPECT_TRUE(channels.insert(r->Channel()).second) << "channel " << r->Channel() << " twice";
    const sim::Channel& channel = receiver.sky.Channels()[static_cast<size_t>(r->Channel())];
    SCOPED_TRACE(::testing::Message() << "channel " << r->Channel() << ", PRN " << channel.prn);
    EXPECT_EQ(r->prn, channel.prn);
    EXPECT_EQ(r->signalLevel, channel.amu);
    EXPECT_EQ(r->acquisition, 1);
    EXPECT_EQ(r->ephemeris, 1);
    EXPECT_EQ(r->lastMeasurement, static_cast<float>(TimeOfWeek(t)));
    EXPECT_FLOAT_EQ(r->elevation, Radians(receiver.sky.Elevation(channel.prn, t)));
    EXPECT_FLOAT_EQ(r->azimuth, Radians(receiver.sky.Azimuth(channel.prn, t)));
    EXPECT_GT(r->elevation, 0.0f);
  }

  // Bits 2 to 0 of the channel byte are not part of the channel number.
  sim::Packet marked = reports.back();
  marked.payload[1] |= 0x07;
  const auto r = ParsePacket<ParseTrackingStatus>(marked);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Channel(), ParsePacket<ParseTrackingStatus>(reports.back())->Channel());
}

// ---- 0x6D ----------------------------------------------------------------------------------

TEST_F(StatusReportParsers, SatelliteSelectionCarriesTheDilutionsAndTheSignedSelection) {
  // Advance into a time when the integrity check excludes the lowest satellite.
  receiver.AdvanceTo(receiver.TrueGps() + 97 - std::fmod(receiver.TrueGps(), 97.0) + 2);
  const std::vector<int> selection = receiver.sky.Selection(receiver.TrueGps());
  ASSERT_GE(selection.size(), 5u);
  ASSERT_LT(selection.back(), 0);

  const auto r = ParsePacket<ParseSatelliteSelection>(sim::SatelliteSelectionReport(receiver));
  ASSERT_TRUE(r);
  ASSERT_EQ(r->prns.size(), selection.size());
  for (size_t i = 0; i < selection.size(); ++i)
    EXPECT_EQ(r->prns[i], selection[i]) << i;
  const sim::Dops dops = sim::Sky::DopsFor(static_cast<int>(selection.size()) - 1);
  EXPECT_EQ(r->pdop, dops.pdop);
  EXPECT_EQ(r->hdop, dops.hdop);
  EXPECT_EQ(r->vdop, dops.vdop);
  EXPECT_EQ(r->tdop, dops.tdop);

  // Before the first fix the list is empty and the dilutions are the emulator's "no fix" value.
  const sim::Receiver fresh(options, DefaultStartGps());
  const auto none = ParsePacket<ParseSatelliteSelection>(sim::SatelliteSelectionReport(fresh));
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->prns.empty());
  EXPECT_EQ(none->pdop, sim::Sky::DopsFor(0).pdop);
}

TEST_F(StatusReportParsers, SatelliteSelectionKeepsAListOfAnyLength) {
  sim::Packet packet = sim::SatelliteSelectionReport(receiver);
  const size_t carried = packet.payload.size() - 17;
  for (int prn = -1; prn >= -14; --prn)
    packet.payload.push_back(static_cast<uint8_t>(prn));

  const auto r = ParsePacket<ParseSatelliteSelection>(packet);
  ASSERT_TRUE(r);
  ASSERT_EQ(r->prns.size(), carried + 14);
  EXPECT_EQ(r->prns[carried], -1);
  EXPECT_EQ(r->prns.back(), -14);
  const ReportType* type = FindReport(0x6D, packet.payload).type;
  ASSERT_NE(type, nullptr);
  EXPECT_STREQ(type->name, "satelliteSelection");
}

// ---- 0x5A, 0x5B, 0x46 ----------------------------------------------------------------------

TEST_F(StatusReportParsers, RawMeasurementAndEphemerisStatusOfATrackedSatellite) {
  const double t = receiver.TrueGps();
  const int prn = TrackedPrn();
  const sim::Channel* channel = receiver.sky.ChannelOf(prn);
  ASSERT_NE(channel, nullptr);

  const auto raw = ParsePacket<ParseRawMeasurement>(sim::RawMeasurementReport(receiver, prn));
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->prn, prn);
  EXPECT_EQ(raw->sampleLength, 20.0f);
  EXPECT_EQ(raw->signalLevel, channel->amu);
  EXPECT_EQ(raw->doppler, static_cast<float>(receiver.sky.Doppler(prn, t)));
  EXPECT_NE(raw->doppler, 0.0f);
  // Sixteenths of a chip, running with time over the 1023 chips of the code.
  EXPECT_EQ(raw->codePhase, static_cast<float>(std::fmod(t * 1000.0 + prn * 977.0, 16368.0)));
  EXPECT_EQ(raw->measurementTime, TimeOfWeek(t));

  const auto ephemeris =
      ParsePacket<ParseEphemerisStatus>(sim::EphemerisStatusReport(receiver, prn));
  ASSERT_TRUE(ephemeris);
  EXPECT_EQ(ephemeris->prn, prn);
  EXPECT_EQ(ephemeris->health, 0);
  EXPECT_EQ(
      ephemeris->collectionTime,
      static_cast<float>(std::fmod(channel->since + sim::kEphemerisSeconds, kSecondsPerWeek)));
  // The ephemeris of the coming two-hour boundary; the IODE counts those boundaries.
  const double toe = ephemeris->ephemerisTime;
  EXPECT_EQ(std::fmod(toe, 7200.0), 0.0);
  EXPECT_GT(toe, TimeOfWeek(t));
  EXPECT_LE(toe, TimeOfWeek(t) + 7200.0);
  EXPECT_EQ(ephemeris->iode, static_cast<int>(toe / 7200.0) & 0xFF);
  EXPECT_EQ(ephemeris->fitFlag, 0);
  EXPECT_EQ(ephemeris->accuracy, 2.8f);

  // A satellite outside the constellation is unhealthy, with no ephemeris.
  const int inactive = InactivePrn();
  const auto none =
      ParsePacket<ParseEphemerisStatus>(sim::EphemerisStatusReport(receiver, inactive));
  ASSERT_TRUE(none);
  EXPECT_EQ(none->prn, inactive);
  EXPECT_EQ(none->health, 0x3F);
  EXPECT_EQ(none->ephemerisTime, 0.0f);
  EXPECT_EQ(none->iode, 0);
}

TEST_F(StatusReportParsers, HealthFollowsTheReceiverFromStartToFixes) {
  sim::Receiver starting(options, DefaultStartGps());
  const std::vector<std::pair<double, int>> moments = {
      {0, 1},   // no GPS time yet
      {10, 8},  // tracking, but no ephemeris: no usable satellites
      {45, 0},  // doing fixes
  };
  for (const auto& [seconds, status] : moments) {
    starting.AdvanceTo(DefaultStartGps() + seconds);
    ASSERT_EQ(starting.StatusCode(), status) << "at " << seconds << " s";
    const auto health = ParsePacket<ParseHealth>(sim::HealthReport(starting));
    ASSERT_TRUE(health);
    EXPECT_EQ(health->status, status) << "at " << seconds << " s";
  }
}

// ---- JSON and lengths ----------------------------------------------------------------------

TEST_F(StatusReportParsers, JsonNamesEachReportAndGivesDegreesAndUnits) {
  const double t = receiver.TrueGps();
  const sim::Packet trackingPacket = sim::TrackingStatusReports(receiver).front();
  const std::string tracking = PacketJson(trackingPacket);
  const auto parsed = ParsePacket<ParseTrackingStatus>(trackingPacket);
  ASSERT_TRUE(parsed);
  const sim::Channel& channel = receiver.sky.Channels()[static_cast<size_t>(parsed->Channel())];
  EXPECT_EQ(FieldText(tracking, "report"), "\"trackingStatus\"");
  EXPECT_EQ(FieldNumber(tracking, "prn"), channel.prn);
  EXPECT_EQ(FieldNumber(tracking, "channel"), parsed->Channel());
  EXPECT_EQ(static_cast<float>(FieldNumber(tracking, "signalLevelAmu")), channel.amu);
  EXPECT_NEAR(FieldNumber(tracking, "elevationDeg"), receiver.sky.Elevation(channel.prn, t), 1e-4);
  EXPECT_NEAR(FieldNumber(tracking, "azimuthDeg"), receiver.sky.Azimuth(channel.prn, t), 1e-4);
  EXPECT_EQ(FieldNumber(tracking, "elevationDeg"), DegreesOf(parsed->elevation));
  // No angle in radians anywhere.
  EXPECT_EQ(tracking.find("\"elevation\""), std::string::npos);
  EXPECT_EQ(tracking.find("\"azimuth\""), std::string::npos);

  const std::string selection = PacketJson(sim::SatelliteSelectionReport(receiver));
  const std::vector<int> selected = receiver.sky.Selection(t);
  ASSERT_FALSE(selected.empty());
  EXPECT_EQ(FieldText(selection, "report"), "\"satelliteSelection\"");
  std::string list;
  for (const int prn : selected)
    list += (list.empty() ? "" : ",") + std::to_string(prn);
  EXPECT_EQ(FieldText(selection, "prns"), "[" + list + "]");
  const auto used = std::count_if(selected.begin(), selected.end(), [](int p) { return p > 0; });
  const sim::Dops dops = sim::Sky::DopsFor(static_cast<int>(used));
  EXPECT_EQ(static_cast<float>(FieldNumber(selection, "pdop")), dops.pdop);
  EXPECT_EQ(static_cast<float>(FieldNumber(selection, "tdop")), dops.tdop);

  const int prn = TrackedPrn();
  const std::string raw = PacketJson(sim::RawMeasurementReport(receiver, prn));
  EXPECT_EQ(FieldText(raw, "report"), "\"rawMeasurement\"");
  EXPECT_EQ(FieldNumber(raw, "prn"), prn);
  EXPECT_EQ(static_cast<float>(FieldNumber(raw, "dopplerHz")),
            static_cast<float>(receiver.sky.Doppler(prn, t)));
  EXPECT_EQ(FieldNumber(raw, "sampleLengthMs"), 20.0);
  EXPECT_EQ(FieldNumber(raw, "measurementTimeS"), TimeOfWeek(t));

  const std::string ephemeris = PacketJson(sim::EphemerisStatusReport(receiver, InactivePrn()));
  EXPECT_EQ(FieldText(ephemeris, "report"), "\"ephemerisStatus\"");
  EXPECT_EQ(FieldNumber(ephemeris, "health"), 0x3F);
  EXPECT_EQ(FieldNumber(ephemeris, "accuracyM"), 0.0);

  const std::string health = PacketJson(sim::HealthReport(receiver));
  EXPECT_EQ(FieldText(health, "report"), "\"health\"");
  EXPECT_EQ(FieldNumber(health, "status"), 0);
}

TEST_F(StatusReportParsers, OtherLengthsDoNotParse) {
  const int prn = TrackedPrn();
  ExpectExactLengthOnly<ParseHealth>(sim::HealthReport(receiver));
  ExpectExactLengthOnly<ParseRawMeasurement>(sim::RawMeasurementReport(receiver, prn));
  ExpectExactLengthOnly<ParseEphemerisStatus>(sim::EphemerisStatusReport(receiver, prn));
  ExpectExactLengthOnly<ParseTrackingStatus>(sim::TrackingStatusReports(receiver).front());

  // The selection needs its four dilutions; the list may be empty.
  const sim::Packet selection = sim::SatelliteSelectionReport(receiver);
  const std::span<const uint8_t> payload(selection.payload);
  EXPECT_TRUE(ParseSatelliteSelection(payload.first(17)));
  EXPECT_FALSE(ParseSatelliteSelection(payload.first(16)));
  EXPECT_FALSE(ParseSatelliteSelection(payload.first(0)));
  const std::string shortJson = ReportJson(0x6D, payload.first(16));
  EXPECT_EQ(FieldText(shortJson, "parsed"), "false") << shortJson;

  // 0x4B has no parser: its JSON is its payload.
  const uint8_t unknown[] = {0x5A, 0x00, 0x01};
  const std::string ignored = ReportJson(0x4B, unknown);
  EXPECT_EQ(FieldText(ignored, "parsed"), "false") << ignored;
  EXPECT_EQ(FieldText(ignored, "payload"), "\"5A0001\"") << ignored;
}

}  // namespace
}  // namespace zelkon
