#include "views/message_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "base/application.h"
#include "platform/file_read.h"
#include "text/printf.h"
#include "views/message_form.h"

namespace zelkon {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kSeparator = "---------------------------------------";

// "2026-12-10T05:40:12Z ": when a line was written, by the PC's clock.
std::string Stamp(Application& app) {
  const UtcTime t = app.systemTime.NowUtc();
  return Printf("%04d-%02d-%02dT%02d:%02d:%02dZ ", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
}

// `text` with the stamp ahead of every line it begins: the first when `atLineStart`, and each one
// after a line end that more text follows.
std::string Stamped(std::string_view text, bool atLineStart, const std::string& stamp) {
  std::string out;
  out.reserve(text.size() + stamp.size());
  bool lineStart = atLineStart;
  while (!text.empty()) {
    if (lineStart) out += stamp;
    const size_t end = text.find(kLineEnd);
    const size_t take = end == std::string_view::npos ? text.size() : end + kLineEnd.size();
    out.append(text.substr(0, take));
    text.remove_prefix(take);
    lineStart = end != std::string_view::npos;
  }
  return out;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// The pad's text as a text file: one "\n" per line.
std::string AsFileText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

void SaveLogAs(Application& app, const TForm_Message& form) {
  const std::optional<std::string> path = app.dialogs.SaveFile(
      {"zelkon-messages.log", ".log", "Log Files (*.log)|*.log|All Files (*.*)|*.*"});
  if (!path) return;
  const std::string text = AsFileText(form.Memo_Pad.Text());
  std::FILE* file = OpenForWriting(*path);
  const bool written =
      file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const int error = errno;
  // Closing flushes: a full disk shows only here.
  const bool closed = file != nullptr && std::fclose(file) == 0;
  if (!written || !closed) {
    app.dialogs.MessageBoxWithDetail(
        "The message log could not be saved.",
        Printf("%s: %s.", path->c_str(), std::strerror(closed ? error : errno)), "Error",
        Buttons::Ok, Icon::Exclamation);
  }
}

}  // namespace

int MessageLogLineCount(std::string_view text) {
  int lines = 0;
  for (size_t at = text.find(kLineEnd); at != std::string_view::npos;
       at = text.find(kLineEnd, at + kLineEnd.size())) {
    ++lines;
  }
  const bool openLastLine = !text.empty() && !text.ends_with(kLineEnd);
  return lines + (openLastLine ? 1 : 0);
}

void MessageLogAppend(Application& app, std::string_view text) {
  if (text.empty()) return;
  Memo& pad = app.Window<TForm_Message>().Memo_Pad;
  std::string content = pad.Text();
  const std::string stamped =
      Stamped(text, content.empty() || content.ends_with(kLineEnd), Stamp(app));
  // Drop the oldest lines, each up to and including its line end.
  for (int excess = MessageLogLineCount(content) - kMessageLogLines; excess > 0; --excess) {
    const size_t end = content.find(kLineEnd);
    content.erase(0, end == std::string::npos ? content.size() : end + kLineEnd.size());
  }
  content.append(stamped);
  pad.SetText(content);

  MessageLogFile& file = app.Feature<MessageLogFile>();
  if (file.IsOpen() && !file.Write(stamped)) {
    // Said once in the pad; the file is closed and stays so for the run.
    const std::string why = "message log file: " + file.Failure();
    content = pad.Text();
    if (!content.empty() && !content.ends_with(kLineEnd)) content.append(kLineEnd);
    pad.SetText(content + Stamp(app) + why + std::string(kLineEnd));
  }
}

void MessageLogLine(Application& app, std::string_view text) {
  const std::string& content = app.Window<TForm_Message>().Memo_Pad.Text();
  std::string line;
  if (!content.empty() && !content.ends_with(kLineEnd)) line.append(kLineEnd);
  line.append(text);
  line.append(kLineEnd);
  MessageLogAppend(app, line);
}

void MessageLogSeparator(Application& app) { MessageLogLine(app, kSeparator); }

std::string MessageLogFile::DefaultPath() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::string(state) + "/zelkon/messages.log";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') {
    return std::string(home) + "/.local/state/zelkon/messages.log";
  }
  return {};
}

bool MessageLogFile::Open(const std::string& path, uint64_t bound) {
  Close();
  path_ = path;
  bound_ = bound;
  failure_.clear();
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, error);
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd_ < 0) {
    Fail("cannot open " + path, errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int why = S_ISREG(info.st_mode) ? errno : EINVAL;
    Close();
    Fail(path + " is not a regular file", why);
    return false;
  }
  size_ = static_cast<uint64_t>(info.st_size);
  return true;
}

void MessageLogFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void MessageLogFile::Fail(const std::string& what, int error) {
  failure_ = what + ": " + std::strerror(error);
  Close();
}

bool MessageLogFile::Rotate() {
  Close();
  std::error_code ignored;
  for (int n = kKeptFiles - 1; n >= 1; --n) {
    std::filesystem::rename(path_ + "." + std::to_string(n), path_ + "." + std::to_string(n + 1),
                            ignored);
  }
  std::filesystem::rename(path_, path_ + ".1", ignored);
  return Open(path_, bound_);
}

bool MessageLogFile::Write(std::string_view text) {
  if (fd_ < 0) return false;
  if (size_ >= bound_ && !Rotate()) return false;
  const std::string bytes = AsFileText(text);
  if (!WriteAll(fd_, bytes)) {
    Fail("cannot write " + path_, errno);
    return false;
  }
  size_ += bytes.size();
  return true;
}

void WireMessageWindow(Application& app, TForm_Message& form) {
  form.Button_Clear.OnClick = [&form] { form.Memo_Pad.SetText(""); };
  form.Button_SaveAs.OnClick = [&app, &form] { SaveLogAs(app, form); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
