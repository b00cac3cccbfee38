// What the metrics endpoint serves: the Prometheus text exposition (format 0.0.4) of what the
// monitor has learnt of its receiver. A page is built from the Telemetry on the user-interface
// thread, the only thread that reads it; the age of the newest timing report is filled in when the
// page is served, so that it keeps growing while the user-interface thread is busy.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelkon {

class Telemetry;

// The receiver a page describes, as every sample's labels name it.
struct MetricsTarget {
  std::string device;  // the port as the main window names it: a device path, or COMn
  // Absent until the receiver has reported it: the samples then have no serial label (to
  // Prometheus an empty label and a missing one are the same).
  std::optional<uint32_t> serial;
  bool portOpen = true;     // false while the port's device is gone
  uint32_t portLosses = 0;  // times the device hung up or went away since start
  // The main window says "No data from the receiver for N s".
  bool receiverSilent = false;
  // What each reference clock of the PC's time daemon was given.
  struct ReferenceClockFeed {
    std::string name;  // "sock:/run/chrony.gps.sock", "shm:2"
    uint64_t samples = 0;
    std::optional<double> lastOffsetSeconds;
  };
  std::vector<ReferenceClockFeed> referenceClocks = {};
};

struct MetricsPage {
  std::string families;  // every family but the report age, HELP and TYPE lines included
  std::string labels;    // the target's labels, `device="...",serial="..."`
  // The age of the newest timing report when the page was built; nothing before the first one.
  std::optional<int64_t> timingReportAgeMs;
};

// Exposition of a label value: backslash, double quote and newline escaped, and each byte that is
// not part of a UTF-8 character (a device path is bytes) as U+FFFD (text/utf8.h).
std::string EscapeLabelValue(std::string_view value);

// The page of `telemetry` at `nowMs` of the monitor's clock.
MetricsPage BuildMetricsPage(const Telemetry& telemetry, const MetricsTarget& target,
                             int64_t nowMs);

// The whole exposition of `page`, served `sinceBuiltMs` after it was built.
std::string MetricsText(const MetricsPage& page, int64_t sinceBuiltMs);

}  // namespace zelkon
