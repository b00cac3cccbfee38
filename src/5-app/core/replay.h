// The monitor on a recording instead of a receiver (zelkon --replay): what ends a replay.
#pragma once

#include <ostream>

namespace zelkon {

class Monitor;
class ReplaySerialPort;

// After the poll tick that read the last byte of the recording, the poll timer stops: the windows
// keep the state the recording ended in (no time-out blanks the displays) and nothing more is
// polled. The end is told once on `notices`.
void StopPollingAtEndOfRecording(Monitor& app, const ReplaySerialPort& port, std::ostream& notices);

}  // namespace zelkon
