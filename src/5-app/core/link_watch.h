// A receiver that comes and goes: the port's device hangs up or disappears (a USB adapter pulled
// out, the emulator ended) and later returns under the same name.
#pragma once

namespace zelkon {

class Monitor;

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

}  // namespace zelkon
