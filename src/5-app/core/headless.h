// The monitor without windows: the same application, driven by the toolkit-free event loop, with
// the main window's state printed as one line of JSON after every poll round.
#pragma once

#include <atomic>
#include <functional>
#include <ostream>
#include <string>

namespace zelkon {

class Monitor;
class EventLoop;

// {"title": ..., "receiverType": ..., "pollTimingPackets": ..., "silentSeconds": ...,
// "panels": {...}, "leds": {...}}: every panel text of TForm_Main by control name, every LED's
// colour as "#RRGGBB", the check state of "Poll Timing P&ackets", the whole seconds the status bar
// says the receiver has been silent (0 while it does not), the caption of the checked receiver
// type (null before one is chosen) and the application title.
std::string MainWindowJson(Monitor& app);

// Runs the application until `stop` becomes true, writing MainWindowJson after every sixth tick
// of the poll timer. The application's port must be open (MainFormCreate). With `ended` (a replay
// that has read its whole recording) the run also ends as soon as that returns true, and the final
// state is written once more unless the last line written already shows it. A line `out` cannot
// take ends the run at once, said on `err` (core/output.h). Returns the exit status: 0, or
// kOutputFailed.
int RunHeadless(Monitor& app, EventLoop& loop, std::ostream& out, std::ostream& err,
                const std::atomic<bool>& stop, const std::function<bool()>& ended = nullptr);

}  // namespace zelkon
