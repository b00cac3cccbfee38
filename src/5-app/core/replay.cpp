#include "core/replay.h"

#include "core/monitor.h"
#include "platform/replay_serial_port.h"

namespace zelkon {

void StopPollingAtEndOfRecording(Monitor& app, const ReplaySerialPort& port,
                                 std::ostream& notices) {
  Timer& poll = app.Form_Main.Timer_RXBIN;
  poll.OnTimer = [&poll, &port, &notices, tick = poll.OnTimer] {
    if (tick) tick();
    if (!port.Finished() || !poll.Enabled()) return;
    poll.SetEnabled(false);
    notices << "zelkon: the recording has ended" << std::endl;
  };
}

}  // namespace zelkon
