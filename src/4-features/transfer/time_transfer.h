// Time between PC and receiver: setting the PC clock from receiver time, and the PC clock as the
// receiver's initial time. Both work on seconds since the GPS epoch (6 January 1980 00:00).
#pragma once

#include "analysis/vouched_time.h"
#include "platform/system_time.h"
#include "reports/position.h"

namespace zelkon {

class Application;
class TForm_InitialTime;

// "Down&load Time To PC": asked for by the menu, taken up by the next time report. The
// application's Feature<TimeToPcRequest>().
struct TimeToPcRequest {
  bool pending = false;
};

// Sets the PC clock at once to the UTC of a time report the receiver vouches for
// (JudgeReceiverTime with what the telemetry holds), and reports the result in a message box shown
// after the packet loop: "PC time was set.", or "Can't set time" with the reason as its caption.
// The time decoders call this with the report that took up the request.
void SetPcClock(Application& app, const TimeReading& reading);
// Calendar fields of seconds since the GPS epoch, for setting the clock.
UtcTime GpsSecondsToCalendar(double seconds);
// The PC clock (UTC) as seconds since the GPS epoch.
double PcClockToGpsSeconds(SystemTime& clock);

// 0x4E: the initial time window's answer light, green when the receiver took the time, red when
// it refused it.
void ShowTimeAccepted(TForm_InitialTime& form, const TimeAccepted& report);

// Connects the handlers of TForm_InitialTime.
void WireInitialTimeWindow(Application& app, TForm_InitialTime& form);

}  // namespace zelkon
