// The message log: lines counted as a multi-line edit counts them, trimmed to 300 before each
// append, appended text always at the end, every line with its time, and the file beside it.
#include "views/message_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "support/log_text.h"
#include "support/temp_path.h"
#include "support/test_rig.h"
#include "views/message_form.h"

namespace zelkon {
namespace {

TEST(MessageLog, LinesAreCountedAsAMultiLineEditCountsThem) {
  EXPECT_EQ(MessageLogLineCount(""), 0);
  EXPECT_EQ(MessageLogLineCount("a"), 1);
  EXPECT_EQ(MessageLogLineCount("a\r\n"), 1);
  EXPECT_EQ(MessageLogLineCount("a\r\nb"), 2);
  EXPECT_EQ(MessageLogLineCount("\r\n\r\n"), 2);
}

TEST(MessageLog, TheOldestLinesGoBeforeAnAppendNotAfterIt) {
  testing::TestRig rig;
  const Memo& pad = rig.app.Form_Message.Memo_Pad;
  for (int i = 1; i <= kMessageLogLines; ++i)
    MessageLogAppend(rig.app, "line " + std::to_string(i) + "\r\n");
  EXPECT_EQ(MessageLogLineCount(pad.Text()), 300);
  MessageLogAppend(rig.app, "line 301\r\n");
  EXPECT_EQ(MessageLogLineCount(pad.Text()), 301);
  EXPECT_EQ(testing::Unstamped(pad.Text()).substr(0, 8), "line 1\r\n");
  MessageLogAppend(rig.app, "line 302\r\nline 303\r\n");
  EXPECT_EQ(MessageLogLineCount(pad.Text()), 302);
  EXPECT_EQ(testing::Unstamped(pad.Text()).substr(0, 8), "line 2\r\n");
  EXPECT_TRUE(testing::Unstamped(pad.Text()).ends_with("line 301\r\nline 302\r\nline 303\r\n"));
  // Writing does not show the window.
  EXPECT_FALSE(rig.app.Form_Message.Visible());
}

// Every line starts with the PC's UTC time when it was begun; a text that continues a line gets
// none, and text the operator typed stays ahead of what is appended. The file gets the same lines,
// each ending in a line feed, and is rotated once it outgrows its bound.
TEST(MessageLog, EachLineCarriesItsTimeInThePadAndInTheFile) {
  testing::TestRig rig;
  rig.systemTime.now = UtcTime{2026, 12, 10, 5, 40, 12};
  const std::string path = testing::TestTempPath(".log");
  std::remove(path.c_str());
  for (int n = 1; n <= MessageLogFile::kKeptFiles + 1; ++n)
    std::remove((path + "." + std::to_string(n)).c_str());
  ASSERT_TRUE(rig.app.messageLogFile.Open(path, 200));

  TForm_Message& log = rig.app.Form_Message;
  MessageLogSeparator(rig.app);
  MessageLogAppend(rig.app, "Application Fatal Error:");
  rig.systemTime.now.second = 13;
  MessageLogAppend(rig.app, "stack overflow\r\nsecond line\r\n");
  MessageLogAppend(rig.app, "open");
  MessageLogLine(rig.app, "own line");
  const std::string expected =
      "2026-12-10T05:40:12Z ---------------------------------------\r\n"
      "2026-12-10T05:40:12Z Application Fatal Error:stack overflow\r\n"
      "2026-12-10T05:40:13Z second line\r\n"
      "2026-12-10T05:40:13Z open\r\n"
      "2026-12-10T05:40:13Z own line\r\n";
  EXPECT_EQ(log.Memo_Pad.Text(), expected);
  std::string file = testing::FileText(path);
  EXPECT_EQ(file, std::regex_replace(expected, std::regex("\r\n"), "\n"));

  log.Button_Clear.Click();
  EXPECT_EQ(log.Memo_Pad.Text(), "");
  log.Memo_Pad.SetText("typed by the operator");
  MessageLogAppend(rig.app, "\r\nnext\r\n");
  EXPECT_EQ(log.Memo_Pad.Text(), "typed by the operator\r\n2026-12-10T05:40:13Z next\r\n");

  // Past 200 bytes the file goes to NAME.1 and a new one starts; the oldest beyond the kept ones
  // is dropped.
  for (int i = 0; i < 40; ++i)
    MessageLogLine(rig.app, "filler " + std::to_string(i));
  EXPECT_LE(testing::FileText(path).size(), 200u + 40u);
  EXPECT_FALSE(testing::FileText(path + "." + std::to_string(MessageLogFile::kKeptFiles)).empty());
  EXPECT_TRUE(
      testing::FileText(path + "." + std::to_string(MessageLogFile::kKeptFiles + 1)).empty());
  EXPECT_NE(testing::FileText(path).find("filler 39\n"), std::string::npos);

  // A place that is no regular file is refused with the reason.
  MessageLogFile other;
  EXPECT_FALSE(other.Open("/dev/null"));
  EXPECT_EQ(other.Failure(), "/dev/null is not a regular file: Invalid argument");
  for (int n = 0; n <= MessageLogFile::kKeptFiles; ++n)
    std::remove((n == 0 ? path : path + "." + std::to_string(n)).c_str());
}

}  // namespace
}  // namespace zelkon
