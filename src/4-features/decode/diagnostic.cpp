// Diagnostic reports: the segment status and the fatal reports.
#include "decode/diagnostic.h"

#include "base/application.h"
#include "config/segments.h"
#include "config/segments_form.h"
#include "tools/reset_test.h"
#include "views/message_form.h"
#include "views/message_log.h"

namespace zelkon {

void ShowSegmentStatus(Application& app, const SegmentStatus& r) {
  WriteSegmentStatus(app.Window<TForm_EEPROM>(), r.status);
  // Kept in the log without showing it: the lamps show the status, the log its history.
  MessageLogSeparator(app);
  MessageLogAppend(app, SegmentStatusLines(r.status));
}

void ShowFatalReport(Application& app, const FatalReport& r) {
  app.Window<TForm_Message>().Show();
  MessageLogSeparator(app);
  MessageLogAppend(app, r.exception ? "Application Fatal Exception:" : "Application Fatal Error:");
  MessageLogAppend(app, r.text + "\r\n");
  if (r.exception) {
    ResetTestOnFatalException(app);
  } else {
    ResetTestOnFatalError(app);
  }
}

}  // namespace zelkon
