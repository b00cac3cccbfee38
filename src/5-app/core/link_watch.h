// A receiver that comes and goes: the port's device hangs up or disappears (a USB adapter pulled
// out, the emulator ended) and later returns under the same name.
#pragma once

#include <cstdint>

namespace zelkon {

class Monitor;

// The state of the watch, held by the monitor.
struct LinkLoss {
  // The port's device hung up or went away and is closed; the poll loop tries to open it again.
  bool PortLost = false;
  uint32_t PortLosses = 0;  // since start
  // Poll ticks until the next attempt to open a lost port, and between two attempts: one second,
  // longer while the device keeps hanging up soon after it was opened again.
  int32_t ReopenCountdown = 0;
  int32_t ReopenIntervalTicks = 0;
  // Poll ticks the port has been open since it was last opened again, counted up to the time after
  // which it is taken as steady; -1 when it has not been lost since start.
  int32_t TicksSinceReopen = -1;
  // The box that says the port was lost is waiting or open: a second loss meanwhile adds none.
  bool PortLossBoxPending = false;
  // The log has said why a remote port could not be opened again since it was lost.
  bool ReopenFailureSaid = false;
};

// Poll ticks between two attempts to open a lost port: one a second.
inline constexpr int kReopenIntervalTicks = 5;
// A device that hangs up again within kSteadyLinkTicks (10 s) of being opened again (a loose
// connector, an adapter that resets itself) doubles the wait before the next attempt, up to
// kMaxReopenIntervalTicks (30 s), so that it neither floods the message log nor keeps the port
// busy, and such a loss shows no box; a link that has stayed up that long is back to one attempt
// a second.
inline constexpr int kSteadyLinkTicks = 50;
inline constexpr int kMaxReopenIntervalTicks = 150;

// Called by every poll tick before it reads or sends. When the port's device has hung up, the port
// is closed (so that a returning USB adapter gets its old name back), the display is cleared as
// for a silent receiver, and the loss is said once: a line in the message log, the serial panel,
// and a box shown after the packet loop. While the port is lost, every kReopenIntervalTicks ticks
// it is opened again by the same path; once that works, the start-up port set-up runs as at
// launch; the log says when the port was opened again, and the wait before the next attempt when
// it is longer than a second. True while the port is lost: the tick then neither reads nor sends.
bool WatchLink(Monitor& app);

// A port on another machine that cannot be opened at start (its server down, the network not yet
// up) is waited for as a lost one: the log and a box say why, and the poll loop tries again, every
// second at first and less often while it keeps failing (up to every 30 s). A local device that
// cannot be opened at start ends the run instead.
void StartWithPortLost(Monitor& app);

}  // namespace zelkon
