// The position, velocity and time parsers against the receiver emulator: the emulator builds each
// report with its own encoder from its own state, and the parsed fields must give that state back.
#include "reports/position.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
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

// Metres light travels in a nanosecond: the emulator gives its clock bias in metres and its bias
// rate in metres per second from its PPS offset (ns) and oscillator offset (ppb).
constexpr double kMetresPerNs = 0.299792458;
constexpr double kSecondsPerWeek = 604800.0;

sim::SimOptions SettlingOptions() {
  sim::SimOptions options;
  options.seed = 11;
  options.acquireSeconds = 5;
  options.surveySeconds = 30;
  return options;
}

// A receiver that has tracked for 45 s: it has the time, and its survey is done, so its position is
// held.
class PositionReportParsers : public ::testing::Test {
 protected:
  PositionReportParsers() : receiver(options, DefaultStartGps()) {
    receiver.AdvanceTo(DefaultStartGps() + 45);
  }

  // The emulator's automatic position and velocity outputs with these I/O options (byte 0: bit 0
  // ECEF, bit 1 LLA, bit 4 double precision; byte 1: bit 0 ECEF velocity, bit 1 ENU velocity).
  std::vector<sim::Packet> PositionOutputs(uint8_t position, uint8_t velocity) {
    receiver.config.io.ioOptions[0] = position;
    receiver.config.io.ioOptions[1] = velocity;
    return sim::PositionVelocityReports(receiver);
  }

  static const sim::Packet& Find(const std::vector<sim::Packet>& packets, uint8_t id) {
    const auto found = std::find_if(packets.begin(), packets.end(),
                                    [&](const sim::Packet& p) { return p.id == id; });
    if (found == packets.end()) {
      ADD_FAILURE() << "no report 0x" << std::hex << int{id};
      static const sim::Packet kNone;
      return kNone;
    }
    return *found;
  }

  // WGS-84 earth-centred coordinates of the receiver's position.
  struct Ecef {
    double x, y, z;
  };
  Ecef EcefOfPosition() const {
    const sim::Fix p = receiver.Position();
    constexpr double a = 6378137.0;
    constexpr double f = 1 / 298.257223563;
    const double e2 = f * (2 - f);
    const double n = a / std::sqrt(1 - e2 * std::sin(p.latitude) * std::sin(p.latitude));
    return {(n + p.altitude) * std::cos(p.latitude) * std::cos(p.longitude),
            (n + p.altitude) * std::cos(p.latitude) * std::sin(p.longitude),
            (n * (1 - e2) + p.altitude) * std::sin(p.latitude)};
  }

  sim::SimOptions options = SettlingOptions();
  sim::Receiver receiver;
};

// ---- Time -----------------------------------------------------------------------------------

TEST_F(PositionReportParsers, GpsTimeCarriesTheReceiversWeekTimeAndUtcOffset) {
  const double gps = std::floor(receiver.ReportedGps());
  const auto time = ParsePacket<ParseGpsTime>(sim::GpsTimeReport(receiver));
  ASSERT_TRUE(time);
  EXPECT_EQ(time->week, static_cast<uint16_t>(gps / kSecondsPerWeek));
  EXPECT_EQ(time->timeOfWeek, static_cast<float>(std::fmod(gps, kSecondsPerWeek)));
  EXPECT_EQ(time->utcOffset, static_cast<float>(receiver.UtcOffset()));
  EXPECT_EQ(time->utcOffset, 18.0f);

  // Before the first fix the receiver has no time: a negative time of week.
  sim::Receiver fresh(options, DefaultStartGps());
  ASSERT_FALSE(fresh.HasTime());
  const auto none = ParsePacket<ParseGpsTime>(sim::GpsTimeReport(fresh));
  ASSERT_TRUE(none);
  EXPECT_LT(none->timeOfWeek, 0.0f);
}

TEST_F(PositionReportParsers, ComprehensiveTimeCarriesTimeEventsAndTheSignOfTheOffset) {
  const double gps = receiver.ReportedGps();
  auto second = ParsePacket<ParseComprehensiveTime>(sim::ComprehensiveTimeReport(receiver, {}));
  ASSERT_TRUE(second);
  EXPECT_EQ(second->eventCount, 0);
  EXPECT_DOUBLE_EQ(second->timeOfWeek, std::fmod(gps, kSecondsPerWeek));
  EXPECT_EQ(second->utcOffset, -receiver.UtcOffset());  // below 0: the time is GPS time
  EXPECT_EQ(second->day, 16);
  EXPECT_EQ(second->month, 6);
  EXPECT_EQ(second->year, 2024);

  // Two events; the report of the latest carries their count and its time.
  receiver.CountEvent(gps + 0.25);
  receiver.CountEvent(gps + 0.75);
  ASSERT_EQ(receiver.EventCount(), 2);
  const std::optional<double> event = receiver.TakeEvent();
  ASSERT_TRUE(event);
  const auto atEvent =
      ParsePacket<ParseComprehensiveTime>(sim::ComprehensiveTimeReport(receiver, event));
  ASSERT_TRUE(atEvent);
  EXPECT_EQ(atEvent->eventCount, 2);
  EXPECT_DOUBLE_EQ(atEvent->timeOfWeek, std::fmod(*event, kSecondsPerWeek));

  // With UTC as the time base the offset is positive and the time of week is UTC.
  receiver.config.timing.timeBase = 1;
  const auto utc = ParsePacket<ParseComprehensiveTime>(sim::ComprehensiveTimeReport(receiver, {}));
  ASSERT_TRUE(utc);
  EXPECT_EQ(utc->utcOffset, receiver.UtcOffset());
  EXPECT_DOUBLE_EQ(utc->timeOfWeek, std::fmod(gps - receiver.UtcOffset(), kSecondsPerWeek));
}

TEST_F(PositionReportParsers, ComprehensiveTimeCarriesThePositionClockModeAndSatellites) {
  ASSERT_TRUE(receiver.PositionHeld());
  const auto r = ParsePacket<ParseComprehensiveTime>(sim::ComprehensiveTimeReport(receiver, {}));
  ASSERT_TRUE(r);
  const sim::Fix position = receiver.Position();
  EXPECT_EQ(r->latitude, position.latitude);
  EXPECT_EQ(r->longitude, position.longitude);
  EXPECT_EQ(r->altitude, position.altitude);
  EXPECT_DOUBLE_EQ(r->clockBias, receiver.PpsOffsetNs() * kMetresPerNs);
  EXPECT_DOUBLE_EQ(r->clockDriftRate, receiver.OscillatorOffsetPpb() * kMetresPerNs);
  EXPECT_EQ(r->receiverMode, 6);  // a held position: overdetermined clock
  // The emulator's uncertainties while it holds its position: 2.5 m and 0.05 m/s.
  EXPECT_EQ(r->clockBiasUncertainty, 2.5f);
  EXPECT_EQ(r->clockDriftUncertainty, 0.05f);

  // The satellites used for fixes as they are, then the ones only tracked, negated.
  const std::vector<int> used = receiver.sky.Selection(receiver.TrueGps());
  ASSERT_FALSE(used.empty());
  size_t i = 0;
  for (; i < used.size() && i < r->prns.size(); ++i)
    EXPECT_EQ(r->prns[i], used[i]) << i;
  for (; i < r->prns.size(); ++i) {
    if (r->prns[i] == 0) continue;
    EXPECT_LT(r->prns[i], 0) << i;
    const bool tracked =
        std::any_of(receiver.sky.Channels().begin(), receiver.sky.Channels().end(),
                    [&](const sim::Channel& channel) { return channel.prn == -int{r->prns[i]}; });
    EXPECT_TRUE(tracked) << int{r->prns[i]};
  }
}

// ---- Position and velocity ----------------------------------------------------------------

TEST_F(PositionReportParsers, PositionsAndVelocitiesInBothPrecisionsCarryTheReceiversFix) {
  const sim::Fix p = receiver.Position();
  const Ecef ecef = EcefOfPosition();
  const float bias = static_cast<float>(receiver.PpsOffsetNs() * kMetresPerNs);
  const float biasRate = static_cast<float>(receiver.OscillatorOffsetPpb() * kMetresPerNs);
  ASSERT_NE(bias, 0.0f);
  ASSERT_NE(biasRate, 0.0f);

  const std::vector<sim::Packet> singles = PositionOutputs(0x03, 0x03);
  const auto ecefSingle = ParsePacket<ParseEcefPositionSingle>(Find(singles, 0x42));
  ASSERT_TRUE(ecefSingle);
  EXPECT_FLOAT_EQ(ecefSingle->x, static_cast<float>(ecef.x));
  EXPECT_FLOAT_EQ(ecefSingle->y, static_cast<float>(ecef.y));
  EXPECT_FLOAT_EQ(ecefSingle->z, static_cast<float>(ecef.z));

  const auto llaSingle = ParsePacket<ParseLlaPositionSingle>(Find(singles, 0x4A));
  ASSERT_TRUE(llaSingle);
  EXPECT_EQ(llaSingle->latitude, static_cast<float>(p.latitude));
  EXPECT_EQ(llaSingle->longitude, static_cast<float>(p.longitude));
  EXPECT_EQ(llaSingle->altitude, static_cast<float>(p.altitude));
  EXPECT_EQ(llaSingle->clockBias, bias);

  // A timing receiver stands still: its velocities are 0, the clock's bias rate is not.
  const auto ecefVelocity = ParsePacket<ParseEcefVelocity>(Find(singles, 0x43));
  ASSERT_TRUE(ecefVelocity);
  EXPECT_EQ(ecefVelocity->x, 0.0f);
  EXPECT_EQ(ecefVelocity->y, 0.0f);
  EXPECT_EQ(ecefVelocity->z, 0.0f);
  EXPECT_EQ(ecefVelocity->clockBiasRate, biasRate);
  const auto enuVelocity = ParsePacket<ParseEnuVelocity>(Find(singles, 0x56));
  ASSERT_TRUE(enuVelocity);
  EXPECT_EQ(enuVelocity->east, 0.0f);
  EXPECT_EQ(enuVelocity->north, 0.0f);
  EXPECT_EQ(enuVelocity->up, 0.0f);
  EXPECT_EQ(enuVelocity->clockBiasRate, biasRate);

  const std::vector<sim::Packet> doubles = PositionOutputs(0x13, 0x00);
  const auto ecefDouble = ParsePacket<ParseEcefPositionDouble>(Find(doubles, 0x83));
  ASSERT_TRUE(ecefDouble);
  EXPECT_NEAR(ecefDouble->x, ecef.x, 1e-6);
  EXPECT_NEAR(ecefDouble->y, ecef.y, 1e-6);
  EXPECT_NEAR(ecefDouble->z, ecef.z, 1e-6);
  EXPECT_DOUBLE_EQ(ecefDouble->clockBias, receiver.PpsOffsetNs() * kMetresPerNs);

  const auto llaDouble = ParsePacket<ParseLlaPositionDouble>(Find(doubles, 0x84));
  ASSERT_TRUE(llaDouble);
  EXPECT_EQ(llaDouble->latitude, p.latitude);
  EXPECT_EQ(llaDouble->longitude, p.longitude);
  EXPECT_EQ(llaDouble->altitude, p.altitude);
  EXPECT_DOUBLE_EQ(llaDouble->clockBias, receiver.PpsOffsetNs() * kMetresPerNs);
}

TEST_F(PositionReportParsers, ReferenceAltitudeTimeAcceptedAndThe4AReportsByLength) {
  receiver.config.receiver.referenceAltitude = 431.625f;
  const sim::Packet altitudePacket = sim::ReferenceAltitudeReport(receiver);
  const auto altitude = ParsePacket<ParseReferenceAltitude>(altitudePacket);
  ASSERT_TRUE(altitude);
  EXPECT_EQ(altitude->altitude, 431.625f);

  const auto yes = ParsePacket<ParseTimeAccepted>(sim::TimeAcceptedReport(true));
  const auto no = ParsePacket<ParseTimeAccepted>(sim::TimeAcceptedReport(false));
  ASSERT_TRUE(yes && no);
  EXPECT_TRUE(yes->Accepted());
  EXPECT_FALSE(no->Accepted());

  // Both 0x4A reports share the id; the length tells them apart.
  const sim::Packet lla = Find(PositionOutputs(0x02, 0x00), 0x4A);
  const ReportType* byLength[] = {
      FindReport(0x4A, altitudePacket.payload).type,
      FindReport(0x4A, lla.payload).type,
  };
  ASSERT_TRUE(byLength[0] && byLength[1]);
  EXPECT_STREQ(byLength[0]->name, "referenceAltitude");
  EXPECT_STREQ(byLength[1]->name, "llaPositionSingle");
}

// ---- JSON and lengths -----------------------------------------------------------------------

// A float field: its shortest text reads back as the same float.
float Single(const std::string& json, const std::string& key) {
  return static_cast<float>(FieldNumber(json, key));
}

TEST_F(PositionReportParsers, JsonNamesEachReportAndGivesDegreesMetresAndSeconds) {
  const sim::Fix p = receiver.Position();
  const double bias = receiver.PpsOffsetNs() * kMetresPerNs;
  const float biasRate = static_cast<float>(receiver.OscillatorOffsetPpb() * kMetresPerNs);
  const std::vector<sim::Packet> singles = PositionOutputs(0x03, 0x03);
  const std::vector<sim::Packet> doubles = PositionOutputs(0x13, 0x00);

  const std::string time = PacketJson(sim::GpsTimeReport(receiver));
  EXPECT_EQ(FieldText(time, "report"), "\"gpsTime\"");
  EXPECT_EQ(FieldNumber(time, "week"), std::floor(receiver.ReportedGps() / kSecondsPerWeek));
  EXPECT_EQ(FieldNumber(time, "timeOfWeekS"),
            std::fmod(std::floor(receiver.ReportedGps()), kSecondsPerWeek));
  EXPECT_EQ(FieldNumber(time, "utcOffsetS"), receiver.UtcOffset());

  const std::string ecefSingle = PacketJson(Find(singles, 0x42));
  EXPECT_EQ(FieldText(ecefSingle, "report"), "\"ecefPositionSingle\"");
  const Ecef ecef = EcefOfPosition();
  EXPECT_NEAR(FieldNumber(ecefSingle, "xM"), ecef.x, 1.0);
  EXPECT_NEAR(FieldNumber(ecefSingle, "yM"), ecef.y, 1.0);
  EXPECT_NEAR(FieldNumber(ecefSingle, "zM"), ecef.z, 1.0);

  const std::string llaSingle = PacketJson(Find(singles, 0x4A));
  EXPECT_EQ(FieldText(llaSingle, "report"), "\"llaPositionSingle\"");
  EXPECT_EQ(FieldNumber(llaSingle, "latitudeDeg"), DegreesOf(static_cast<float>(p.latitude)));
  EXPECT_EQ(FieldNumber(llaSingle, "longitudeDeg"), DegreesOf(static_cast<float>(p.longitude)));
  EXPECT_EQ(Single(llaSingle, "altitudeM"), static_cast<float>(p.altitude));
  EXPECT_EQ(Single(llaSingle, "clockBiasM"), static_cast<float>(bias));

  const std::string ecefVelocity = PacketJson(Find(singles, 0x43));
  EXPECT_EQ(FieldText(ecefVelocity, "report"), "\"ecefVelocity\"");
  EXPECT_EQ(FieldNumber(ecefVelocity, "velocityXMps"), 0.0);
  EXPECT_EQ(FieldNumber(ecefVelocity, "velocityZMps"), 0.0);
  EXPECT_EQ(Single(ecefVelocity, "clockBiasRateMps"), biasRate);

  const std::string enuVelocity = PacketJson(Find(singles, 0x56));
  EXPECT_EQ(FieldText(enuVelocity, "report"), "\"enuVelocity\"");
  EXPECT_EQ(FieldNumber(enuVelocity, "velocityEastMps"), 0.0);
  EXPECT_EQ(FieldNumber(enuVelocity, "velocityUpMps"), 0.0);
  EXPECT_EQ(Single(enuVelocity, "clockBiasRateMps"), biasRate);

  const std::string ecefDouble = PacketJson(Find(doubles, 0x83));
  EXPECT_EQ(FieldText(ecefDouble, "report"), "\"ecefPositionDouble\"");
  EXPECT_NEAR(FieldNumber(ecefDouble, "zM"), ecef.z, 1e-6);
  EXPECT_EQ(FieldNumber(ecefDouble, "clockBiasM"), bias);

  const std::string llaDouble = PacketJson(Find(doubles, 0x84));
  EXPECT_EQ(FieldText(llaDouble, "report"), "\"llaPositionDouble\"");
  EXPECT_EQ(FieldNumber(llaDouble, "latitudeDeg"), DegreesOf(p.latitude));
  EXPECT_EQ(FieldNumber(llaDouble, "longitudeDeg"), DegreesOf(p.longitude));
  EXPECT_EQ(FieldNumber(llaDouble, "altitudeM"), p.altitude);

  receiver.config.receiver.referenceAltitude = 431.625f;
  const std::string altitude = PacketJson(sim::ReferenceAltitudeReport(receiver));
  EXPECT_EQ(FieldText(altitude, "report"), "\"referenceAltitude\"");
  EXPECT_EQ(FieldNumber(altitude, "altitudeM"), 431.625);

  const std::string accepted = PacketJson(sim::TimeAcceptedReport(false));
  EXPECT_EQ(FieldText(accepted, "report"), "\"timeAccepted\"");
  EXPECT_EQ(FieldText(accepted, "accepted"), "false");

  const std::string comprehensive = PacketJson(sim::ComprehensiveTimeReport(receiver, {}));
  EXPECT_EQ(FieldText(comprehensive, "report"), "\"comprehensiveTime\"");
  EXPECT_EQ(FieldText(comprehensive, "subcode"), "11");
  EXPECT_EQ(FieldNumber(comprehensive, "latitudeDeg"), DegreesOf(p.latitude));
  EXPECT_EQ(FieldNumber(comprehensive, "longitudeDeg"), DegreesOf(p.longitude));
  EXPECT_EQ(FieldNumber(comprehensive, "altitudeM"), p.altitude);
  EXPECT_EQ(FieldNumber(comprehensive, "utcOffsetS"), -receiver.UtcOffset());
  EXPECT_EQ(FieldNumber(comprehensive, "year"), 2024);
  EXPECT_EQ(FieldNumber(comprehensive, "clockBiasM"), bias);
  // The satellites as a list of signed numbers, the used ones first.
  const std::string prns = FieldText(comprehensive, "prns");
  const std::vector<int> used = receiver.sky.Selection(receiver.TrueGps());
  ASSERT_FALSE(used.empty());
  EXPECT_EQ(prns.rfind("[" + std::to_string(used[0]) + ",", 0), 0u) << prns;
  EXPECT_EQ(std::count(prns.begin(), prns.end(), ','), 7) << prns;
  // No angle in radians anywhere: the position fields are in degrees.
  EXPECT_EQ(comprehensive.find("\"latitude\""), std::string::npos);
}

TEST_F(PositionReportParsers, AnyOtherLengthDoesNotParse) {
  const std::vector<sim::Packet> singles = PositionOutputs(0x03, 0x03);
  const std::vector<sim::Packet> doubles = PositionOutputs(0x13, 0x00);
  ExpectExactLengthOnly<ParseGpsTime>(sim::GpsTimeReport(receiver));
  ExpectExactLengthOnly<ParseEcefPositionSingle>(Find(singles, 0x42));
  ExpectExactLengthOnly<ParseEcefVelocity>(Find(singles, 0x43));
  ExpectExactLengthOnly<ParseLlaPositionSingle>(Find(singles, 0x4A));
  ExpectExactLengthOnly<ParseReferenceAltitude>(sim::ReferenceAltitudeReport(receiver));
  ExpectExactLengthOnly<ParseTimeAccepted>(sim::TimeAcceptedReport(true));
  ExpectExactLengthOnly<ParseEnuVelocity>(Find(singles, 0x56));
  ExpectExactLengthOnly<ParseEcefPositionDouble>(Find(doubles, 0x83));
  ExpectExactLengthOnly<ParseLlaPositionDouble>(Find(doubles, 0x84));
  ExpectExactLengthOnly<ParseComprehensiveTime>(sim::ComprehensiveTimeReport(receiver, {}));
}

}  // namespace
}  // namespace zelkon
