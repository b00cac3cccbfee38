// Keeping the PC port in step with the receiver's port: the start-up set-up that sends the port
// settings and aligns the PC side, the start-up capture of a port-settings text, and the switch of
// the PC port after the program changed the receiver's settings.
#pragma once

#include "link/port_settings.h"

namespace zelkon {

class Application;
class Panel;

inline constexpr int kStartupWaitMs = 1000;
// The settling pause around reprogramming the PC port.
inline constexpr int kPortSettleMs = 20;

// Makes the PC side match settings just sent to the receiver: stops TimerBreak, shows the settings
// in `panel`, and reprograms the port with sending held off (LinkReady false) meanwhile.
void ApplyPortSettings(Application& app, const PortSettings& settings, Panel& panel);

// Sends the receiver's port B the settings (forced to port index 1, 8 data bits, RXBIN in and out;
// 9600, odd, 1 stop bit when no data-bits code was known), aligns the PC port, and starts the poll
// loop.
void StartupPortSetup(Application& app, PortSettings settings);

// The OnTimer handler of TimerBreak: the start-up set-up on its first tick, then one attempt to
// capture a port-settings text ("PR...") and, if one was seen, the set-up again with what it says.
void TimerBreakTick(Application& app);

}  // namespace zelkon
