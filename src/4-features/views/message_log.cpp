#include "views/message_log.h"

#include "base/application.h"
#include "text/printf.h"
#include "views/message_form.h"

namespace zelkon {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kSeparator = "---------------------------------------\r\n";

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
  Memo& pad = app.Window<TForm_Message>().Memo_Pad;
  std::string content = pad.Text();
  // Drop the oldest lines, each up to and including its line end.
  for (int excess = MessageLogLineCount(content) - kMessageLogLines; excess > 0; --excess) {
    const size_t end = content.find(kLineEnd);
    content.erase(0, end == std::string::npos ? content.size() : end + kLineEnd.size());
  }
  content.append(text);
  pad.SetText(content);
}

void MessageLogAppendDated(Application& app, std::string_view text) {
  const UtcTime t = app.systemTime.NowUtc();
  MessageLogAppend(app, Printf("%04d-%02d-%02d %02d:%02d:%02d UTC ", t.year, t.month, t.day, t.hour,
                               t.minute, t.second) +
                            std::string(text) + std::string(kLineEnd));
}

void MessageLogSeparator(Application& app) { MessageLogAppend(app, kSeparator); }

void WireMessageWindow(Application&, TForm_Message& form) {
  form.Button_Clear.OnClick = [&form] { form.Memo_Pad.SetText(""); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
