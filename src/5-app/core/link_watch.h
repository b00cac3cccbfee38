// A receiver that comes and goes: the port's device hangs up or disappears (a USB adapter pulled
// out, the emulator ended) and later returns under the same name.
#pragma once

namespace zelkon {

class Monitor;

// Poll ticks between two attempts to open a lost port: one a second.
inline constexpr int kReopenIntervalTicks = 5;

// Called by every poll tick before it reads or sends. When the port's device has hung up, the port
// is closed (so that a returning USB adapter gets its old name back), the display is cleared as
// for a silent receiver, and the loss is said once: a line in the message log, the serial panel,
// and a box shown after the packet loop. While the port is lost, every kReopenIntervalTicks ticks
// it is opened again by the same path; once that works, the start-up port set-up runs as at
// launch. True while the port is lost: the tick then neither reads nor sends.
bool WatchLink(Monitor& app);

}  // namespace zelkon
