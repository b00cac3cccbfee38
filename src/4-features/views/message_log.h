// The message log: the events of the run, as lines in TForm_Message's pad, which keeps about the
// last 300, and in a file that keeps them past the run. Every line starts with the UTC time of the
// PC's clock it was written at, "2026-12-10T05:40:12Z ", ahead of the system's own text. Writing
// does not show the window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelkon {

class Application;
class TForm_Message;

// The lines the pad keeps before an append trims it.
inline constexpr int kMessageLogLines = 300;

// The lines of a pad's text as a multi-line edit counts them: a final line break opens no line.
int MessageLogLineCount(std::string_view text);

// Appends `text` at the end of the pad and of the file. The text carries its own line ends
// ("\r\n"); without one, the next text continues its line. Each line the text begins gets its time.
// Before appending, the oldest lines are dropped down to 300, so after a call the pad may hold 300
// plus the lines of the new text.
void MessageLogAppend(Application& app, std::string_view text);
// Appends `text` as a line of its own: a line end first if the last line is still open, and one
// after it.
void MessageLogLine(Application& app, std::string_view text);
// Appends a line of 39 hyphens.
void MessageLogSeparator(Application& app);

// The file the message log is also written to, a feature of the application. Lines end in "\n";
// every append is written at once (write(2), no buffer), so a line is in the file even if the
// program ends abruptly after it. When the file grows past its bound it is renamed to NAME.1 (the
// one before to NAME.2, and so on up to kKeptFiles) and a new one begun, so the files never take
// more than about (kKeptFiles + 1) times the bound.
class MessageLogFile {
 public:
  static constexpr uint64_t kDefaultBound = 1 << 20;  // 1 MiB
  static constexpr int kKeptFiles = 4;

  MessageLogFile() = default;
  MessageLogFile(const MessageLogFile&) = delete;
  MessageLogFile& operator=(const MessageLogFile&) = delete;
  ~MessageLogFile() { Close(); }

  // $XDG_STATE_HOME/zelkon/messages.log, or ~/.local/state/zelkon/messages.log without it; empty
  // when neither is set.
  static std::string DefaultPath();
  // Opens `path` for appending, creating its folder; false, with Failure() saying why, when it
  // cannot be had.
  bool Open(const std::string& path, uint64_t bound = kDefaultBound);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  // The reason the file could not be opened or written, as a sentence; empty while all is well.
  const std::string& Failure() const { return failure_; }

  // Writes `text` (line ends "\r\n" turned into "\n"); false, with the file closed and Failure()
  // set, when the write fails.
  bool Write(std::string_view text);

 private:
  bool Rotate();
  void Fail(const std::string& what, int error);

  int fd_ = -1;
  std::string path_;
  uint64_t bound_ = kDefaultBound;
  uint64_t size_ = 0;
  std::string failure_;
};

// Connects the handlers of TForm_Message.
void WireMessageWindow(Application& app, TForm_Message& form);

}  // namespace zelkon
