// The metrics page of a Telemetry fed with the emulator's reports, checked by Prometheus's own
// promtool and against the emulator's values.
#include "core/metrics.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "analysis/telemetry.h"
#include "core/metrics_publisher.h"
#include "core/monitor.h"
#include "e2e/simulated_port.h"
#include "platform/event_loop.h"
#include "reports/product.h"
#include "reports/status.h"
#include "reports/timing.h"
#include "sim/receiver.h"
#include "sim/reports.h"
#include "sim/sim_harness.h"
#include "support/programs.h"
#include "support/report_fields.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_clock.h"

namespace zelkon {
namespace {

using testing::DefaultStartGps;
using testing::ParsePacket;

// The value of the sample whose name and labels are exactly `series`; nothing when there is none.
std::optional<double> Sample(const std::string& text, const std::string& series) {
  const std::string line = "\n" + series + " ";
  const size_t at = ("\n" + text).find(line);
  if (at == std::string::npos) return std::nullopt;
  return std::strtod(text.c_str() + at + line.size() - 1, nullptr);
}

// A receiver 40 s after start, tracking and surveying, as the monitor has decoded it: every report
// goes through its parser into the Telemetry, and is counted as the dispatcher counts it.
class MetricsOfAReceiver : public ::testing::Test {
 protected:
  MetricsOfAReceiver() { receiver.AdvanceTo(DefaultStartGps() + 40); }

  static sim::SimOptions Options() {
    sim::SimOptions options;
    options.seed = 11;
    options.acquireSeconds = 5;
    options.surveySeconds = 600;
    options.leapIn = 3600;
    return options;
  }

  void Count(const sim::Packet& packet, PacketOutcome outcome = PacketOutcome::Decoded) {
    telemetry.CountPacket(packet.id, packet.payload, outcome);
  }

  void FeedEverything(int64_t nowMs) {
    for (const sim::Packet& packet : sim::TrackingStatusReports(receiver)) {
      telemetry.Add(*ParsePacket<ParseTrackingStatus>(packet));
      Count(packet);
    }
    const sim::Packet selection = sim::SatelliteSelectionReport(receiver);
    telemetry.Add(*ParsePacket<ParseSatelliteSelection>(selection));
    Count(selection);
    const sim::Packet production = sim::ProductionParamsReport(receiver);
    const auto parsedProduction = ParsePacket<ParseProductionParams>(production);
    telemetry.Add(*parsedProduction);
    serial = parsedProduction->caseSerialNumber;
    Count(production);
    const sim::Packet primary = sim::TimingPrimaryReport(receiver);
    telemetry.Add(*ParsePacket<ParseTimingPrimary>(primary), nowMs);
    Count(primary);
    const sim::Packet supplemental = sim::TimingSupplementalReport(receiver);
    telemetry.Add(*ParsePacket<ParseTimingSupplemental>(supplemental), nowMs);
    Count(supplemental);
    // A supplemental report cut short, and an id without a decoder.
    sim::Packet cut = supplemental;
    cut.payload.resize(40);
    Count(cut, PacketOutcome::BadLength);
    Count(sim::Packet{0xEE, {1, 2, 3}}, PacketOutcome::UnknownId);
  }

  // The receiver keeps a reference to its options.
  const sim::SimOptions options = Options();
  sim::Receiver receiver{options, DefaultStartGps()};
  Telemetry telemetry;
  uint32_t serial = 0;
};

TEST_F(MetricsOfAReceiver, PassPromtoolBeforeAndAfterTheReceiverHasReported) {
  if (!testing::ProgramOnPath("promtool")) {
    GTEST_SKIP() << "promtool is not installed (Debian package prometheus)";
  }
  const std::string device = R"(/dev/serial/by-id/usb-"odd"\name)";
  const std::string empty = MetricsText(BuildMetricsPage(telemetry, {device, std::nullopt}, 0), 0);
  FeedEverything(5000);
  const std::string full = MetricsText(BuildMetricsPage(telemetry, {device, serial}, 6500), 250);
  for (const std::string& text : {empty, full}) {
    const testing::ToolRun check = testing::RunTool("promtool check metrics", text);
    EXPECT_EQ(check.status, 0) << check.output << text;
    EXPECT_EQ(check.output, "") << text;
  }
}

TEST_F(MetricsOfAReceiver, CarryTheReceiversValuesInBaseUnits) {
  FeedEverything(5000);
  const std::string device = R"(/dev/serial/by-id/usb-"odd"\name)";
  const MetricsPage page = BuildMetricsPage(telemetry, {device, serial}, 6500);
  const std::string text = MetricsText(page, 250);

  const std::string labels =
      R"(device="/dev/serial/by-id/usb-\"odd\"\\name",serial=")" + std::to_string(serial) + '"';
  const auto value = [&](const std::string& name, const std::string& extra = "") {
    return Sample(text, name + "{" + labels + (extra.empty() ? "" : "," + extra) + "}");
  };
  // In base units; scaled back, the receiver's own SINGLE values.
  const auto billionths = [&](const std::string& name) {
    const std::optional<double> v = value(name);
    return v ? static_cast<float>(*v * 1e9) : std::nanf("");
  };
  EXPECT_EQ(billionths("zelkon_pps_offset_seconds"), receiver.PpsOffsetNs()) << text;
  EXPECT_EQ(billionths("zelkon_oscillator_offset_ratio"), receiver.OscillatorOffsetPpb());
  EXPECT_EQ(billionths("zelkon_pps_quantization_error_seconds"), receiver.QuantizationNs());
  EXPECT_EQ(value("zelkon_receiver_mode"), receiver.ModeCode());
  EXPECT_EQ(value("zelkon_receiver_status"), receiver.StatusCode());
  EXPECT_DOUBLE_EQ(*value("zelkon_self_survey_progress_ratio"), receiver.SurveyProgress() / 100.0);
  // Surveying with its leap second announced: those two alarms raised, the antenna fine.
  EXPECT_EQ(value("zelkon_minor_alarm", R"(alarm="self_survey_activity")"), 1);
  EXPECT_EQ(value("zelkon_minor_alarm", R"(alarm="leap_second_pending")"),
            (receiver.MinorAlarms() >> 7) & 1);
  EXPECT_EQ(value("zelkon_minor_alarm", R"(alarm="antenna_open")"), 0);
  EXPECT_EQ(value("zelkon_minor_alarm", R"(alarm="almanac")"), (receiver.MinorAlarms() >> 11) & 1);
  EXPECT_EQ(value("zelkon_satellites_tracked"), telemetry.SatellitesTracked());
  EXPECT_GT(*value("zelkon_satellites_tracked"), 0);
  EXPECT_EQ(value("zelkon_satellites_used"), telemetry.SatellitesUsed());
  // Built 1.5 s after the reports, served a quarter of a second later.
  EXPECT_DOUBLE_EQ(*value("zelkon_timing_report_age_seconds"), 1.75);

  // Counted by report: the cut supplemental report counts there too, and as dropped.
  EXPECT_EQ(value("zelkon_received_packets_total", R"(report="0x8F-AC")"), 2);
  EXPECT_EQ(value("zelkon_received_bytes_total", R"(report="0x8F-AC")"), 69 + 41);
  EXPECT_EQ(value("zelkon_received_packets_total", R"(report="0x5C")"), Telemetry::kChannels);
  EXPECT_EQ(value("zelkon_received_packets_total", R"(report="unknown")"), 1);
  EXPECT_EQ(text.find(R"(report="0xEE")"), std::string::npos);
  EXPECT_EQ(value("zelkon_dropped_packets_total", R"(reason="bad_length")"), 1);
  EXPECT_EQ(value("zelkon_dropped_packets_total", R"(reason="unknown_id")"), 1);
}

TEST_F(MetricsOfAReceiver, BeforeTheFirstTimingReportItsValuesAreAbsentNotZero) {
  MetricsPage page = BuildMetricsPage(telemetry, {"COM1", std::nullopt}, 1000);
  std::string text = MetricsText(page, 0);
  for (const char* name :
       {"zelkon_pps_offset_seconds", "zelkon_oscillator_offset_ratio", "zelkon_receiver_mode",
        "zelkon_minor_alarm", "zelkon_self_survey_progress_ratio",
        "zelkon_timing_report_age_seconds", "zelkon_received_packets_total", "serial="}) {
    EXPECT_EQ(text.find(name), std::string::npos) << name << "\n" << text;
  }
  EXPECT_EQ(Sample(text, R"(zelkon_satellites_tracked{device="COM1"})"), 0);
  EXPECT_EQ(Sample(text, R"(zelkon_dropped_packets_total{device="COM1",reason="unknown_id"})"), 0);

  // A primary report alone gives the age, not the supplemental report's values; the age goes on
  // growing from the time the page was built.
  telemetry.Add(*ParsePacket<ParseTimingPrimary>(sim::TimingPrimaryReport(receiver)), 1000);
  page = BuildMetricsPage(telemetry, {"COM1", std::nullopt}, 1400);
  EXPECT_EQ(Sample(MetricsText(page, 0), R"(zelkon_timing_report_age_seconds{device="COM1"})"),
            0.4);
  text = MetricsText(page, 30000);
  EXPECT_EQ(Sample(text, R"(zelkon_timing_report_age_seconds{device="COM1"})"), 30.4);
  EXPECT_EQ(text.find("zelkon_pps_offset_seconds"), std::string::npos) << text;
}

// The receiver's nanoseconds and ppb in seconds and as a ratio: the decimals it meant, not the
// float's binary value nor the rounding of a division.
TEST(MetricsValues, SinglesAreWrittenInBaseUnitsAsTheDecimalsTheyMeant) {
  Telemetry telemetry;
  TimingSupplemental report;
  report.ppsOffset = 12.3F;
  report.oscillatorOffset = -0.0043F;
  report.quantizationError = -0.64845055F;
  telemetry.Add(report, 0);
  std::string text = MetricsText(BuildMetricsPage(telemetry, {"COM1", 7}, 0), 0);
  const std::string labels = R"({device="COM1",serial="7"} )";
  EXPECT_NE(text.find("zelkon_pps_offset_seconds" + labels + "1.23e-8\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("zelkon_oscillator_offset_ratio" + labels + "-4.3e-12\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("zelkon_pps_quantization_error_seconds" + labels + "-6.4845055e-10\n"),
            std::string::npos)
      << text;

  report.ppsOffset = 0;
  report.oscillatorOffset = 1e30F;
  report.quantizationError = std::nanf("");
  telemetry.Add(report, 0);
  text = MetricsText(BuildMetricsPage(telemetry, {"COM1", 7}, 0), 0);
  EXPECT_NE(text.find("zelkon_pps_offset_seconds" + labels + "0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("zelkon_oscillator_offset_ratio" + labels + "1e21\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("zelkon_pps_quantization_error_seconds" + labels + "NaN\n"),
            std::string::npos)
      << text;
}

TEST(MetricsLabels, BackslashQuoteAndNewlineAreEscaped) {
  EXPECT_EQ(EscapeLabelValue("/dev/ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(EscapeLabelValue("a\\b\"c\nd\te"), "a\\\\b\\\"c\\nd\te");
}

TEST(MetricsPublisher, TheReportAgeGrowsWhileNothingIsPublished) {
  MetricsPublisher publisher;
  EXPECT_EQ(publisher.Text(), "");
  MetricsPage page;
  page.labels = R"(device="COM1")";
  page.timingReportAgeMs = 0;
  publisher.Publish(page);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  const std::optional<double> age =
      Sample(publisher.Text(), R"(zelkon_timing_report_age_seconds{device="COM1"})");
  ASSERT_TRUE(age) << publisher.Text();
  EXPECT_GE(*age, 0.06);
  EXPECT_LT(*age, 30.0);
}

// The monitor on the emulator, on virtual time, publishing as the headless program does.
TEST(MetricsOfTheMonitor, APageIsPublishedAfterEveryPollTick) {
  sim::SimOptions options;
  options.seed = 5;
  options.acquireSeconds = 5;
  testing::VirtualClock clock;
  testing::SimulatedSerialPort port(clock, options, DefaultStartGps());
  testing::ScriptedDialogs dialogs;
  dialogs.Answer(Answer::No);  // not feeding an NTP server: the timing packets are polled
  testing::MemorySettings settings;
  testing::FakeSystemTime systemTime;
  Monitor app{Platform{port, clock, dialogs, settings, systemTime}};
  EventLoop loop{clock, app.ui, app.Timers()};
  app.state.ComPortNumber = 3;
  ASSERT_TRUE(app.MainFormCreate());
  MetricsPublisher publisher;
  PublishMetricsAfterEveryPollTick(app, publisher);
  // Published at once, before anything is received.
  EXPECT_NE(publisher.Text().find(R"(zelkon_satellites_tracked{device="COM3"} 0)"),
            std::string::npos)
      << publisher.Text();

  loop.RunFor(30000);
  const std::string text = publisher.Text();
  ASSERT_TRUE(app.telemetry.SerialNumber()) << text;
  ASSERT_TRUE(app.telemetry.Supplemental()) << text;
  const std::string labels =
      R"(device="COM3",serial=")" + std::to_string(*app.telemetry.SerialNumber()) + '"';
  // The values of the tick's own reports: the newest offset, every 0x8F-AC counted.
  const std::optional<double> offset = Sample(text, "zelkon_pps_offset_seconds{" + labels + "}");
  ASSERT_TRUE(offset) << text;
  EXPECT_EQ(static_cast<float>(*offset * 1e9), app.telemetry.Supplemental()->ppsOffset);
  EXPECT_EQ(Sample(text, "zelkon_received_packets_total{" + labels + R"(,report="0x8F-AC"})"),
            app.telemetry.Received().at({0x8F, 0xAC}).packets);
  EXPECT_GT(*Sample(text, "zelkon_satellites_tracked{" + labels + "}"), 0);
  // Reports arrive every second and a page follows every 200 ms tick.
  const std::optional<double> age =
      Sample(text, "zelkon_timing_report_age_seconds{" + labels + "}");
  ASSERT_TRUE(age) << text;
  EXPECT_LT(*age, 1.5);
  app.MainFormClose();
}

}  // namespace
}  // namespace zelkon
