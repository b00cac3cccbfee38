// The start-up port set-up: the port settings sent to the receiver with the PC side aligned, and
// the start-up capture of a port-settings text.
#pragma once

#include "link/port_settings.h"

namespace zelkon {

class Monitor;

inline constexpr int kStartupWaitMs = 1000;

// Sends the receiver's port B the settings (forced to port index 1, 8 data bits, RXBIN in and out;
// 9600, odd, 1 stop bit when no data-bits code was known), aligns the PC port, and starts the poll
// loop.
void StartupPortSetup(Monitor& app, PortSettings settings);

// The OnTimer handler of TimerBreak: the start-up set-up on its first tick, then one attempt to
// capture a port-settings text ("PR...") and, if one was seen, the set-up again with what it says.
void TimerBreakTick(Monitor& app);

}  // namespace zelkon
