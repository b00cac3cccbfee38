// A receiver that sends nothing: a port with nothing attached, a receiver stopped or resetting.
#pragma once

#include <string>

namespace zelkon {

class Monitor;

// Packets stop for this long before the status bar says so.
inline constexpr int kSilenceNoticeMs = 3000;
// A hint the mouse brings up stands in the notice's place for this long.
inline constexpr int kHintOverSilenceMs = 3000;

// "No data from the receiver for 7 s".
std::string SilenceNotice(int seconds);

// Called by every poll tick after its read. Once no packet has arrived for kSilenceNoticeMs
// (counted from the start of polling before the first one), Panel_Hint says "No data from the
// receiver for N s", N the whole seconds since the last packet, renewed as it grows, and the Rx
// LED turns red. A hint the mouse brings up meanwhile is shown for kHintOverSilenceMs, then the
// notice comes back. The first packet ends it: Panel_Hint shows again what it showed before (a
// hint shown just then stays), and the Rx LED blinks as usual from the packet's green. A lost port
// shows its own state instead (Panel_Serial, "<port> lost"), and a replay never says it: a
// recording has no silence of its own.
void WatchSilence(Monitor& app);

}  // namespace zelkon
