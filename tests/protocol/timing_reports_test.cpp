// The timing superpacket parsers against the receiver emulator: the emulator builds each report
// with its own encoder from its own state, and the parsed fields must give that state back.
#include "reports/timing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sim/receiver.h"
#include "sim/reports.h"
#include "sim/sim_harness.h"
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

sim::SimOptions Surveying() {
  sim::SimOptions options;
  options.seed = 5;
  options.acquireSeconds = 5;
  options.surveySeconds = 600;
  options.leapIn = 3600;  // a leap second announced: the leap flags are set
  return options;
}

// A receiver 40 s after start: tracking, doing fixes, surveying.
class TimingReportParsers : public ::testing::Test {
 protected:
  TimingReportParsers() : receiver(options, DefaultStartGps()) {
    receiver.AdvanceTo(DefaultStartGps() + 40);
  }
  sim::SimOptions options = Surveying();
  sim::Receiver receiver;
};

TEST_F(TimingReportParsers, PrimaryCarriesWeekTimeOffsetAndTheCalendar) {
  const auto r = ParsePacket<ParseTimingPrimary>(sim::TimingPrimaryReport(receiver));
  ASSERT_TRUE(r);
  const double gps = std::floor(receiver.ReportedGps());
  EXPECT_EQ(r->week, static_cast<int>(gps / kSecondsPerWeek));
  EXPECT_EQ(r->timeOfWeek, static_cast<uint32_t>(std::fmod(gps, kSecondsPerWeek)));
  EXPECT_EQ(r->utcOffset, receiver.UtcOffset());
  // GPS time in the calendar fields: 16 June 2024, 12:00:40 UTC is 12:00:58 GPS.
  EXPECT_FALSE(r->CalendarIsUtc());
  EXPECT_EQ(r->year, 2024);
  EXPECT_EQ(r->month, 6);
  EXPECT_EQ(r->day, 16);
  EXPECT_EQ(r->hours, 12);
  EXPECT_EQ(r->minutes, 0);
  EXPECT_EQ(r->seconds, 58);
}

TEST_F(TimingReportParsers, SupplementalCarriesTheReceiversClockAlarmsAndPosition) {
  const auto r = ParsePacket<ParseTimingSupplemental>(sim::TimingSupplementalReport(receiver));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->receiverMode, receiver.ModeCode());
  EXPECT_EQ(r->receiverStatus, receiver.StatusCode());
  EXPECT_EQ(r->selfSurveyProgress, receiver.SurveyProgress());
  EXPECT_EQ(r->minorAlarms, receiver.MinorAlarms());
  EXPECT_NE(r->minorAlarms & (1U << 5), 0);  // surveying
  EXPECT_EQ(r->ppsOffset, receiver.PpsOffsetNs());
  EXPECT_EQ(r->oscillatorOffset, receiver.OscillatorOffsetPpb());
  EXPECT_EQ(r->quantizationError, receiver.QuantizationNs());
  EXPECT_EQ(r->ppsGenerated, receiver.PpsGenerated());
  EXPECT_EQ(r->latitude, receiver.Position().latitude);
  EXPECT_EQ(r->longitude, receiver.Position().longitude);
  EXPECT_EQ(r->altitude, receiver.Position().altitude);
}

TEST_F(TimingReportParsers, PrimaryUtcTimeCarriesTheFractionEventsAndLeapFlags) {
  const double eventGps = receiver.TrueGps() - 0.25;
  receiver.CountEvent(eventGps);
  const auto r = ParsePacket<ParsePrimaryUtcTime>(sim::PrimaryUtcTimeReport(receiver, eventGps));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->eventCount, receiver.EventCount());
  EXPECT_EQ(r->eventCount, 1);
  EXPECT_DOUBLE_EQ(r->fraction, 0.75);
  EXPECT_EQ(r->flags, receiver.LeapFlags());
  EXPECT_NE(r->flags & sim::kLeapScheduled, 0);
  EXPECT_EQ(r->hours, 12);
  EXPECT_EQ(r->minutes, 0);
  EXPECT_EQ(r->seconds, 39);  // UTC
  EXPECT_EQ(r->year, 2024);
}

TEST_F(TimingReportParsers, JsonGivesDegreesAndUnitsAndOtherLengthsDoNotParse) {
  const std::string json = PacketJson(sim::TimingSupplementalReport(receiver));
  EXPECT_EQ(FieldText(json, "report"), "\"timingSupplemental\"");
  EXPECT_EQ(FieldNumber(json, "latitudeDeg"), DegreesOf(receiver.Position().latitude));
  EXPECT_EQ(static_cast<float>(FieldNumber(json, "ppsOffsetNs")), receiver.PpsOffsetNs());
  EXPECT_EQ(FieldNumber(json, "minorAlarms"), receiver.MinorAlarms());
  EXPECT_EQ(FieldText(json, "latitude"), "");  // no radians

  const std::string primary = PacketJson(sim::TimingPrimaryReport(receiver));
  EXPECT_EQ(FieldText(primary, "report"), "\"timingPrimary\"");
  EXPECT_EQ(FieldNumber(primary, "utcOffsetS"), receiver.UtcOffset());
  EXPECT_EQ(FieldText(primary, "calendarIsUtc"), "false");

  ExpectExactLengthOnly<ParseTimingPrimary>(sim::TimingPrimaryReport(receiver));
  ExpectExactLengthOnly<ParseTimingSupplemental>(sim::TimingSupplementalReport(receiver));
  ExpectExactLengthOnly<ParsePrimaryUtcTime>(sim::PrimaryUtcTimeReport(receiver, std::nullopt));
}

}  // namespace
}  // namespace zelkon
