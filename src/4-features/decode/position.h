// The display steps of the time reports that write several windows.
#pragma once

#include "reports/position.h"

namespace zelkon {

class Application;

// 0x41: the main window's time group, unless the timing packets are polled; takes up a pending
// "Down&load Time To PC".
void ShowGpsTime(Application& app, const GpsTime& report);
// 0x8F-0B: the additional timing window; unless the timing packets are polled also the main
// window's mode and position.
void ShowComprehensiveTime(Application& app, const ComprehensiveTime& report);

}  // namespace zelkon
