#include "core/dispatcher.h"

#include <vector>

#include "core/monitor.h"
#include "routes/report_routes.h"
#include "transfer/recording.h"

namespace zelkon {
namespace {

// The route of each row of the report table, by the row's place in the table.
class RouteIndex {
 public:
  RouteIndex() {
    const std::span<const ReportType* const> rows = AllReportTypes();
    routes_.resize(rows.size(), nullptr);
    for (size_t row = 0; row < rows.size(); ++row) {
      for (const Route& route : ReportRoutes()) {
        if (route.report == rows[row]->parsedInto) routes_[row] = &route;
      }
    }
  }

  const Route* Of(size_t row) const { return routes_[row]; }

 private:
  std::vector<const Route*> routes_;
};

const RouteIndex& Routes() {
  static const RouteIndex index;
  return index;
}

}  // namespace

PacketOutcome DispatchReport(Application& app, uint8_t id, std::span<const uint8_t> payload) {
  const ReportMatch match = FindReport(id, payload);
  if (match.type == nullptr) return PacketOutcome::UnknownId;
  const Route* route = Routes().Of(match.row);
  if (route == nullptr || (route->engineeringOnly && !app.state.EngineeringMode)) {
    return PacketOutcome::UnknownId;
  }
  if (match.outcome == PacketOutcome::Decoded && route->decode != nullptr) {
    route->decode(app, payload);
  }
  return match.outcome;
}

void ReportDispatcher(Monitor& app, const PacketReceiver& receiver) {
  app.Form_Main.Shape_RxLED.SetBrushColor(colours::kGreen);
  app.state.LastPacketMs = app.clock.NowMs();
  const uint8_t id = receiver.Id();
  const std::span<const uint8_t> payload = receiver.Payload();
  const PacketOutcome outcome = DispatchReport(app, id, payload);
  app.telemetry.CountPacket(id, payload, outcome);
  if (app.recording.Active) RecordPacket(app, id, payload);
  if (app.resetTest.running) app.resetTest.ResetTestPacketSeen = true;
}

}  // namespace zelkon
