// The display steps of the timing superpackets.
#pragma once

#include "reports/timing.h"

namespace zelkon {

class Application;
class TForm_AddTiming;

// 0x8F-AB: the main window's time group, while the timing packets are polled; takes up a pending
// "Down&load Time To PC".
void ShowTimingPrimary(Application& app, const TimingPrimary& report);
// 0x8F-AC: self-survey, clock offsets, PPS and alarm LEDs; while the timing packets are polled also
// position, mode and status, the reset test's tracking watch and a pending position download.
void ShowTimingSupplemental(Application& app, const TimingSupplemental& report);
// 0x8F-AD: the UTC side of the additional timing window.
void ShowPrimaryUtcTime(TForm_AddTiming& form, const PrimaryUtcTime& report);

}  // namespace zelkon
