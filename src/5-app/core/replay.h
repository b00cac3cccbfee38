// The monitor on a recording instead of a receiver (zelkon --replay).
#pragma once

#include <ostream>

namespace zelkon {

class Monitor;
class ReplaySerialPort;

// Makes `app` a monitor of the recording `port` plays; called once, before the main window opens
// the port. Nothing reaches a receiver: every control that sends is locked (disabled, its hint
// "Not available while replaying a recording"), the send path lights no Tx LED, and Panel_Serial
// names the recording. The main window shows every report the recording holds, whatever "Poll
// Timing P&ackets" says, and neither clears its display nor says that the receiver is silent when
// reports pause: a recording has no silence of its own, only the pace it is played at.
//
// After the poll tick that read the last byte of the recording, the poll timer stops: the windows
// keep the state the recording ended in and nothing more is polled. The end is told once on
// `notices`.
void SetUpReplay(Monitor& app, const ReplaySerialPort& port, std::ostream& notices);

}  // namespace zelkon
