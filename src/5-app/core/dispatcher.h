// The report dispatcher: every completed packet lights the Rx LED, is matched to its row of the
// report table and goes to that row's route (parser, telemetry, display step), to the packet
// counts, to the packet recording and to the reset test's packet watch.
#pragma once

#include <cstdint>
#include <span>

#include "link/framing.h"
#include "reports/report_types.h"

namespace zelkon {

class Application;
class Monitor;

// Decodes one packet by its route: what became of it. A packet of a report without a route, or
// with an engineering-mode route while the mode is off, counts as unknown.
PacketOutcome DispatchReport(Application& app, uint8_t id, std::span<const uint8_t> payload);

// The PacketHandler of the poll loop.
void ReportDispatcher(Monitor& app, const PacketReceiver& receiver);

}  // namespace zelkon
