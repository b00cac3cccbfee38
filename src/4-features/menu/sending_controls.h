// The controls whose use sends something to the receiver, in one list: the command items of the
// main window's menus and the buttons of the windows that set, query, reset or transfer. Opening a
// window is not among them (a window asks for what it shows as it opens, and shows what comes), nor
// anything that only changes what the monitor shows or records.
#pragma once

#include <vector>

#include "model/controls.h"

namespace zelkon {

class Application;

// The hint of a locked sending control while a recording is replayed.
inline constexpr const char* kNotWhileReplaying = "Not available while replaying a recording";

std::vector<UsableControl*> SendingControls(Application& app);

// Locks every sending control: disabled for the rest of the run, whatever a receiver type or a
// window enables later, with `reason` as its hint.
void LockSendingControls(Application& app, const char* reason);

}  // namespace zelkon
