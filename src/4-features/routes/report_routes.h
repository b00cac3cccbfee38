// The routes of the reports: for each struct of the report table, what the monitor does with a
// packet of it. A route parses the payload, gives the report to the telemetry (where the telemetry
// takes that report) and then to its display step, which writes the windows. The dispatcher finds
// a packet's row in the report table and the row's route here.
//
// A display step takes what it writes, the report last:
//
//   void ShowReceiverConfig(TForm_GPS& form, const ReceiverConfig& report);
//   void ShowPortConfig(TForm_Serial& form, SegmentReadback& readback, const PortSettings& report);
//   void ShowTimingPrimary(Application& app, const TimingPrimary& report);
//
// and the route hands it each: a window by its class, the values kept for the segment check, or
// the whole application for a step that writes across it.
#pragma once

#include <cstdint>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>

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

// What a display step's parameter of type T is given.
template <typename T>
T& Supply(Application& app) {
  if constexpr (std::is_same_v<T, Application>) {
    return app;
  } else if constexpr (std::is_same_v<T, SegmentReadback>) {
    return app.segmentReadback;
  } else {
    static_assert(std::is_base_of_v<Form, T>, "a display step takes windows, the read-back or app");
    return app.Window<T>();
  }
}

template <auto Show, typename Step = decltype(Show)>
struct DisplayStep;

template <auto Show, typename... Params>
struct DisplayStep<Show, void (*)(Params...)> {
  template <typename Report>
  static void Run(Application& app, const Report& report) {
    Call(app, report, std::make_index_sequence<sizeof...(Params) - 1>());
  }

 private:
  template <typename Report, size_t... I>
  static void Call(Application& app, const Report& report, std::index_sequence<I...>) {
    using Taken = std::tuple<Params...>;
    Show(Supply<std::remove_reference_t<std::tuple_element_t<I, Taken>>>(app)..., report);
  }
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
  DisplayStep<Show>::Run(app, *report);
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
