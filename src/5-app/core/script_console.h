// The script console: the windows driven one command per line, without a display.
//
//   open FORM | close FORM | dump FORM | quit
//   set FORM.CONTROL VALUE | exit FORM.CONTROL | key FORM.CONTROL KEY | click FORM.CONTROL
//   answer BUTTON | answer file PATH | wait SECONDS | expect FORM.CONTROL.PROPERTY VALUE
//
// Each command does what the operator's action does: the same model setters and events the Qt
// binder uses, so a script and the windowed program run the same handlers. Only `dump` writes to
// the output stream, and a dump it cannot take ends the run; mistakes and failed expectations go to
// the error stream as "FILE:LINE: ...".
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace zelkon {

class Monitor;
class EventLoop;
class Form;
class HeadlessDialogs;

// The longest line a script may have: far beyond any command (a memo's text is the longest a
// command carries). A longer line is a mistake; it is never held whole.
inline constexpr size_t kLongestScriptLine = 64 * 1024;
// The largest script file, which is checked whole before it runs and so held whole. Standard input
// is read line by line and has no such bound.
inline constexpr size_t kLargestScriptFile = 1024 * 1024;

// One line of a script as read: its text, or the mark of a line longer than kLongestScriptLine
// (whose text is not kept).
struct ScriptLine {
  std::string text;
  bool tooLong = false;
};

// Exit statuses of a script run.
inline constexpr int kScriptPassed = 0;
inline constexpr int kScriptExpectFailed = 1;
inline constexpr int kScriptMistake = 2;
// A dump the output stream cannot take ends the run with kOutputFailed (core/output.h).

// Opens a window as the operator does: its menu item's action (Show for a window no menu item
// opens), then, when the window is showing, its activation (where the setup windows send their
// queries).
void OpenWindow(Monitor& app, Form& form);

class ScriptConsole {
 public:
  // `dialogs` must be the application's dialogs: `answer` queues there.
  ScriptConsole(Monitor& app, EventLoop& loop, HeadlessDialogs& dialogs, std::ostream& out,
                std::ostream& err);

  enum class Outcome { Continue, Quit, ExpectFailed, Mistake, OutputFailed };

  // Runs one line; reports a mistake or a failed expectation on the error stream as
  // "`where`: message". Blank lines and lines starting with '#' do nothing.
  Outcome Execute(std::string_view line, const std::string& where);
  // What is wrong with a line, without running it; nothing when it reads as a sound command. The
  // state of the windows (open, enabled) is checked only when the line runs.
  std::optional<std::string> Check(std::string_view line) const;

  // Runs a whole script. `next` gives the lines one by one (nothing at the end). A script that is
  // not interactive stops at its first mistake or failed expectation (a line too long is one); an
  // interactive one reports them and goes on. Returns the exit status.
  int Run(const std::function<std::optional<ScriptLine>()>& next, const std::string& name,
          bool interactive, const std::atomic<bool>& stop);

 private:
  struct Command;
  std::optional<std::string> Parse(std::string_view line, Command& command) const;
  Outcome Perform(const Command& command, const std::string& where);
  Outcome Mistake(const std::string& where, const std::string& message);

  Monitor& app_;
  EventLoop& loop_;
  HeadlessDialogs& dialogs_;
  std::ostream& out_;
  std::ostream& err_;
  const std::atomic<bool>* stop_ = nullptr;
};

// Runs the script in the file `path` ("-": standard input, with a prompt when it is a terminal)
// once the start-up port set-up has finished. A script file (a FIFO too) is read whole, at most
// kLargestScriptFile, and checked before its first command runs; a directory is refused. Reading
// never blocks the program: while no line has come the application keeps running, and `stop`
// ends the reading (an unfinished last line is then not run). Returns the exit status.
int RunScriptFile(Monitor& app, EventLoop& loop, HeadlessDialogs& dialogs, const std::string& path,
                  std::ostream& out, std::ostream& err, const std::atomic<bool>& stop);

// The same for a script given as text (tests).
int RunScriptText(Monitor& app, EventLoop& loop, HeadlessDialogs& dialogs, const std::string& name,
                  const std::string& text, std::ostream& out, std::ostream& err);

// Runs the application until the start-up port set-up has handed over to the poll loop, at most
// `maxMs`. Returns whether it has.
bool WaitForPortSetup(Monitor& app, EventLoop& loop, int64_t maxMs);

}  // namespace zelkon
