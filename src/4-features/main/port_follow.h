// Keeping the PC port in step with the receiver's port after the program changed the receiver's
// port settings: the PC side is reprogrammed to match, with sending held off meanwhile.
#pragma once

#include "link/port_settings.h"

namespace zelkon {

class Application;
class Panel;

// The settling pause around reprogramming the PC port.
inline constexpr int kPortSettleMs = 20;

// Makes the PC side match settings just sent to the receiver: stops TimerBreak, shows the settings
// in `panel` (not during a replay, whose panel names the recording), and reprograms the port with
// sending held off (LinkReady false) meanwhile.
void ApplyPortSettings(Application& app, const PortSettings& settings, Panel& panel);

}  // namespace zelkon
