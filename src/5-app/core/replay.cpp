#include "core/replay.h"

#include "core/monitor.h"
#include "menu/sending_controls.h"
#include "platform/replay_serial_port.h"

namespace zelkon {

void SetUpReplay(Monitor& app, const ReplaySerialPort& port, std::ostream& notices) {
  app.state.Replaying = true;
  LockSendingControls(app, kNotWhileReplaying);
  app.Form_Main.Panel_Serial.SetCaption(app.state.ReplayLabel());

  Timer& poll = app.Form_Main.Timer_RXBIN;
  poll.OnTimer = [&poll, &port, &notices, tick = poll.OnTimer] {
    if (tick) tick();
    if (!port.Finished() || !poll.Enabled()) return;
    poll.SetEnabled(false);
    notices << "zelkon: the recording has ended" << std::endl;
  };
}

}  // namespace zelkon
