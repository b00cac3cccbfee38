// Standard output of a run without windows (the JSON lines, the script console's dumps) and what a
// write error does. A reader that went away (a closed pipe, with SIGPIPE ignored as systemd starts
// services) or a full disk ends the run with a message and status 1, instead of running on with
// nobody reading.
#pragma once

#include <ostream>
#include <string_view>

namespace zelkon {

// The exit status of a run whose standard output could not be written.
inline constexpr int kOutputFailed = 1;

// Writes `text` to `out` and flushes it. When `out` cannot take it, says "zelkon: error writing
// standard output: REASON" on `err` and returns false.
bool WriteOutput(std::ostream& out, std::ostream& err, std::string_view text);

}  // namespace zelkon
