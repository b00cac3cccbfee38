// The message log: lines appended to TForm_Message's pad, which keeps about the last 300. Writing
// does not show the window.
#pragma once

#include <string>
#include <string_view>

namespace zelkon {

class Application;
class TForm_Message;

// The lines the pad keeps before an append trims it.
inline constexpr int kMessageLogLines = 300;

// The lines of a pad's text as a multi-line edit counts them: a final line break opens no line.
int MessageLogLineCount(std::string_view text);

// Appends `text` at the end of the pad. The text carries its own line ends ("\r\n"); without one,
// the next text continues its line. Before appending, the oldest lines are dropped down to 300, so
// after a call the pad may hold 300 plus the lines of the new text.
void MessageLogAppend(Application& app, std::string_view text);
// Appends "2026-12-10 05:40:12 UTC <text>" and a line end, by the PC's clock: for events the
// receiver's own time cannot date (a port lost, a recording that failed).
void MessageLogAppendDated(Application& app, std::string_view text);
// Appends a line of 39 hyphens.
void MessageLogSeparator(Application& app);

// Connects the handlers of TForm_Message.
void WireMessageWindow(Application& app, TForm_Message& form);

}  // namespace zelkon
