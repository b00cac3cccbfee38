// The routes of the reports: for each struct of the report table, what the monitor does with a
// packet of it. A route parses the payload, gives the report to the telemetry (where the telemetry
// takes that report) and then to its display step, which writes the windows. The dispatcher finds
// a packet's row in the report table and the row's route here.
#pragma once

#include <cstdint>
#include <span>

#include "base/application.h"
#include "reports/report_types.h"

namespace zelkon {

struct Route {
  ParsedInto report;
  // Parses and shows one packet; nullptr for a report taken and left unread.
  void (*decode)(Application& app, std::span<const uint8_t> payload);
  // Decoded only in engineering mode; otherwise a packet of it counts as unknown.
  bool engineeringOnly = false;
};

template <auto Parse, auto Show>
void ParseAndShow(Application& app, std::span<const uint8_t> payload) {
  const auto report = Parse(payload);
  if (!report) return;
  if constexpr (requires { app.telemetry.Add(*report, int64_t{}); }) {
    app.telemetry.Add(*report, app.clock.NowMs());
  } else if constexpr (requires { app.telemetry.Add(*report); }) {
    app.telemetry.Add(*report);
  }
  Show(app, *report);
}

// The route of a report shown by `Show`: To<ParseTimingPrimary, ShowTimingPrimary>().
template <auto Parse, auto Show>
constexpr Route To() {
  return {ParsedInto::Struct<ParsedBy<Parse>>(), &ParseAndShow<Parse, Show>};
}

// The same, for a report decoded only in engineering mode.
template <auto Parse, auto Show>
constexpr Route InEngineeringModeTo() {
  return {ParsedInto::Struct<ParsedBy<Parse>>(), &ParseAndShow<Parse, Show>, true};
}

// The route of a report deliberately taken and shown nowhere: counted as decoded, nothing done.
template <typename Report>
constexpr Route Taken() {
  return {ParsedInto::Struct<Report>(), nullptr};
}

// Every route, one per struct of the report table.
std::span<const Route> ReportRoutes();

}  // namespace zelkon
