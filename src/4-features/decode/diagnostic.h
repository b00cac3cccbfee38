// The display steps of the diagnostic reports.
#pragma once

#include "reports/diagnostic.h"

namespace zelkon {

class Application;

// 0x5F-11: the lamps of TForm_EEPROM, and the status in the message log.
void ShowSegmentStatus(Application& app, const SegmentStatus& report);
// 0x5F-FF and 0x5F-FE: the message log, shown, with the receiver's text; the reset test counts it.
void ShowFatalReport(Application& app, const FatalReport& report);

}  // namespace zelkon
