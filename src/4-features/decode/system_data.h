// The display steps of the diagnostic reports.
#pragma once

#include "reports/diagnostic.h"

namespace zelkon {

class Application;

// 0x5F-11: the lamps of TForm_EEPROM.
void ShowSegmentStatus(Application& app, const SegmentStatus& report);

}  // namespace zelkon
