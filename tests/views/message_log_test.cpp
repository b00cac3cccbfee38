// The message log's pad: lines counted as a multi-line edit counts them, trimmed to 300 before
// each append, appended text always at the end.
#include "views/message_log.h"

#include <gtest/gtest.h>

#include <string>

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
  EXPECT_EQ(pad.Text().substr(0, 8), "line 1\r\n");
  MessageLogAppend(rig.app, "line 302\r\nline 303\r\n");
  EXPECT_EQ(MessageLogLineCount(pad.Text()), 302);
  EXPECT_EQ(pad.Text().substr(0, 8), "line 2\r\n");
  EXPECT_TRUE(pad.Text().ends_with("line 301\r\nline 302\r\nline 303\r\n"));
  // Writing does not show the window.
  EXPECT_FALSE(rig.app.Form_Message.Visible());
}

TEST(MessageLog, ATextWithoutALineEndIsContinuedAndTypedTextStaysAhead) {
  testing::TestRig rig;
  TForm_Message& log = rig.app.Form_Message;
  MessageLogSeparator(rig.app);
  MessageLogAppend(rig.app, "Application Fatal Error:");
  MessageLogAppend(rig.app, "stack overflow\r\n");
  EXPECT_EQ(
      log.Memo_Pad.Text(),
      "---------------------------------------\r\nApplication Fatal Error:stack overflow\r\n");
  log.Button_Clear.Click();
  EXPECT_EQ(log.Memo_Pad.Text(), "");
  log.Memo_Pad.SetText("typed by the operator");
  MessageLogAppend(rig.app, "\r\nnext\r\n");
  EXPECT_EQ(log.Memo_Pad.Text(), "typed by the operator\r\nnext\r\n");
}

}  // namespace
}  // namespace zelkon
