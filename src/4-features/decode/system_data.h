// The display steps of the diagnostic and system data reports.
#pragma once

#include "reports/diagnostic.h"
#include "reports/system_data.h"

namespace zelkon {

class Application;

// 0x5F-11: the lamps of TForm_EEPROM, and the status in the message log.
void ShowSegmentStatus(Application& app, const SegmentStatus& report);
// 0x5F-FF and 0x5F-FE: the message log, shown, with the receiver's text; the reset test counts it.
void ShowFatalReport(Application& app, const FatalReport& report);
// 0x40: the almanac window's ten values, when the report is of the satellite chosen there.
void ShowAlmanac(Application& app, const Almanac& report);
// 0x49: the health of each satellite in the almanac health window.
void ShowAlmanacHealth(Application& app, const AlmanacHealth& report);
// 0x4F: the UTC parameters window.
void ShowUtcParams(Application& app, const UtcParams& report);

}  // namespace zelkon
