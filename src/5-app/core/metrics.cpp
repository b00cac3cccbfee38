#include "core/metrics.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "analysis/telemetry.h"
#include "text/utf8.h"

namespace zelkon {
namespace {

constexpr double kPercent = 100;
constexpr double kMsPerSecond = 1000;

// The minor alarms the main window shows, by bit, named after its captions.
struct MinorAlarm {
  int bit;
  const char* name;
};
constexpr MinorAlarm kMinorAlarms[] = {
    {1, "antenna_open"},       {2, "antenna_short"},
    {3, "satellite_tracking"}, {5, "self_survey_activity"},
    {6, "stored_position"},    {7, "leap_second_pending"},
    {8, "test_mode"},          {9, "position_questionable"},
    {10, "eeprom_invalid"},    {11, "almanac"},
};

// A sample value as the exposition writes it: the shortest text that reads back as the same
// double.
std::string Number(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

std::string Number(uint64_t value) { return std::to_string(value); }

// A SINGLE of the receiver in billionths (ns, ppb) written in base units: its shortest decimal
// text with the exponent moved by nine, so that a 12.3 ns offset is written 1.23e-8 rather than
// the float's 1.2300000190734863e-08 or the rounding of a division.
std::string Billionths(float value) {
  if (!std::isfinite(value) || value == 0) return Number(static_cast<double>(value));
  char text[32];
  const auto written =
      std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  const std::string_view scientific(text, static_cast<size_t>(written.ptr - text));
  const size_t e = scientific.find('e');
  std::string_view exponentText = scientific.substr(e + 1);
  const bool negative = exponentText.front() == '-';
  if (exponentText.front() == '+' || negative) exponentText.remove_prefix(1);
  int exponent = 0;
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
  if (negative) exponent = -exponent;
  return std::string(scientific.substr(0, e)) + "e" + std::to_string(exponent - 9);
}

// "0x8F-AC" for a report with a sub-code, "0x47" for one without.
std::string ReportLabel(const ReportKey& key) {
  char text[16];
  if (key.subCode < 0) {
    std::snprintf(text, sizeof text, "0x%02X", key.id);
  } else {
    std::snprintf(text, sizeof text, "0x%02X-%02X", key.id, key.subCode);
  }
  return text;
}

// Writes families of samples that all carry the target's labels.
class Exposition {
 public:
  explicit Exposition(const std::string& labels) : labels_(labels) {}

  void Family(const char* name, const char* type, const char* help) {
    name_ = name;
    text_ += "# HELP ";
    text_ += name;
    text_ += ' ';
    text_ += help;
    text_ += "\n# TYPE ";
    text_ += name;
    text_ += ' ';
    text_ += type;
    text_ += '\n';
  }

  // A sample of the family begun last; `label` and `value` add one label of its own.
  void Sample(const std::string& value, const char* label = nullptr,
              const std::string& labelValue = "") {
    text_ += name_;
    text_ += '{';
    text_ += labels_;
    if (label != nullptr) {
      if (!labels_.empty()) text_ += ',';
      text_ += label;
      text_ += "=\"";
      text_ += EscapeLabelValue(labelValue);
      text_ += '"';
    }
    text_ += "} ";
    text_ += value;
    text_ += '\n';
  }

  // A family of one sample.
  void Gauge(const char* name, const char* help, const std::string& value) {
    Family(name, "gauge", help);
    Sample(value);
  }
  void Gauge(const char* name, const char* help, double value) { Gauge(name, help, Number(value)); }

  std::string Text() && { return std::move(text_); }

 private:
  const std::string& labels_;
  const char* name_ = "";
  std::string text_;
};

void AddTimingValues(Exposition& out, const TimingSupplemental& report) {
  out.Gauge("zelkon_pps_offset_seconds",
            "Offset of the receiver's PPS output from its time scale, newest 0x8F-AC report.",
            Billionths(report.ppsOffset));
  out.Gauge("zelkon_oscillator_offset_ratio",
            "Frequency offset of the receiver's oscillator as a ratio (1e-9 is 1 ppb), newest "
            "0x8F-AC report.",
            Billionths(report.oscillatorOffset));
  out.Gauge("zelkon_pps_quantization_error_seconds",
            "Quantization error of the receiver's next PPS edge, newest 0x8F-AC report.",
            Billionths(report.quantizationError));
  out.Gauge("zelkon_receiver_mode", "Receiver mode code of the newest 0x8F-AC report.",
            report.receiverMode);
  out.Gauge("zelkon_receiver_status", "Receiver status code of the newest 0x8F-AC report.",
            report.receiverStatus);
  out.Family("zelkon_minor_alarm", "gauge",
             "Minor alarm of the newest 0x8F-AC report: 1 raised, 0 clear.");
  for (const MinorAlarm& alarm : kMinorAlarms) {
    const bool raised = (report.minorAlarms & (1U << alarm.bit)) != 0;
    out.Sample(raised ? "1" : "0", "alarm", alarm.name);
  }
  out.Gauge("zelkon_self_survey_progress_ratio",
            "Progress of the receiver's self-survey from 0 to 1, newest 0x8F-AC report.",
            report.selfSurveyProgress / kPercent);
}

void AddCounts(Exposition& out, const Telemetry& telemetry) {
  const std::map<ReportKey, PacketCount>& received = telemetry.Received();
  const PacketCount& unknown = telemetry.UnknownReceived();
  if (!received.empty() || unknown.packets > 0) {
    out.Family("zelkon_received_packets_total", "counter",
               "Packets received, by report (id and sub-code; \"unknown\" for every id the "
               "monitor has no decoder for), those dropped included.");
    for (const auto& [key, count] : received)
      out.Sample(Number(count.packets), "report", ReportLabel(key));
    if (unknown.packets > 0) out.Sample(Number(unknown.packets), "report", "unknown");
    out.Family("zelkon_received_bytes_total", "counter",
               "Bytes of the packets received (id and payload, before byte stuffing), by report.");
    for (const auto& [key, count] : received)
      out.Sample(Number(count.bytes), "report", ReportLabel(key));
    if (unknown.packets > 0) out.Sample(Number(unknown.bytes), "report", "unknown");
  }
  out.Family("zelkon_dropped_packets_total", "counter",
             "Packets received but not decoded: a known report at a length it is not accepted "
             "at, or an id the monitor has no decoder for.");
  out.Sample(Number(telemetry.Dropped(PacketOutcome::BadLength)), "reason", "bad_length");
  out.Sample(Number(telemetry.Dropped(PacketOutcome::UnknownId)), "reason", "unknown_id");
}

}  // namespace

std::string EscapeLabelValue(std::string_view value) {
  std::string escaped;
  escaped.reserve(value.size());
  AppendValidUtf8(escaped, value, [](char c, std::string& out) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '"') {
      out += "\\\"";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  });
  return escaped;
}

MetricsPage BuildMetricsPage(const Telemetry& telemetry, const MetricsTarget& target,
                             int64_t nowMs) {
  MetricsPage page;
  page.labels = "device=\"" + EscapeLabelValue(target.device) + '"';
  if (target.serial) page.labels += ",serial=\"" + std::to_string(*target.serial) + '"';

  Exposition out(page.labels);
  out.Gauge("zelkon_port_open",
            "1 while the serial port is open, 0 while its device is gone (hung up or removed) "
            "and the monitor waits for it to return.",
            target.portOpen ? 1 : 0);
  out.Family("zelkon_port_losses_total", "counter",
             "Times the serial port's device hung up or went away.");
  out.Sample(Number(uint64_t{target.portLosses}));
  out.Gauge("zelkon_receiver_silent",
            "1 while no packet has come from the receiver for 3 s or more on an open port, 0 "
            "otherwise.",
            target.receiverSilent ? 1 : 0);
  if (!target.referenceClocks.empty()) {
    out.Family("zelkon_refclock_samples_total", "counter",
               "Samples of the receiver's time the PC's time daemon took, by reference clock: "
               "one a second while the receiver vouches for its time.");
    for (const auto& feed : target.referenceClocks)
      out.Sample(Number(feed.samples), "refclock", feed.name);
    out.Family("zelkon_refclock_offset_seconds", "gauge",
               "The UTC second of the last sample a reference clock took less the PC's time its "
               "report's first byte arrived.");
    for (const auto& feed : target.referenceClocks) {
      if (feed.lastOffsetSeconds)
        out.Sample(Number(*feed.lastOffsetSeconds), "refclock", feed.name);
    }
  }
  if (telemetry.Supplemental()) AddTimingValues(out, *telemetry.Supplemental());
  out.Gauge("zelkon_satellites_tracked",
            "Channels whose newest tracking report (at most 10 s of receiver time old) has a "
            "satellite acquired.",
            telemetry.SatellitesTracked());
  out.Gauge("zelkon_satellites_used",
            "Satellites of the receiver's newest satellite selection it uses for its fix.",
            telemetry.SatellitesUsed());
  AddCounts(out, telemetry);
  page.families = std::move(out).Text();
  if (telemetry.LastTimingReportMs()) {
    page.timingReportAgeMs = nowMs - *telemetry.LastTimingReportMs();
  }
  return page;
}

std::string MetricsText(const MetricsPage& page, int64_t sinceBuiltMs) {
  if (!page.timingReportAgeMs) return page.families;
  Exposition age(page.labels);
  age.Gauge("zelkon_timing_report_age_seconds",
            "Seconds since the monitor received the receiver's newest timing report (0x8F-AB "
            "or 0x8F-AC).",
            static_cast<double>(*page.timingReportAgeMs + sinceBuiltMs) / kMsPerSecond);
  return page.families + std::move(age).Text();
}

}  // namespace zelkon
