// The two routines that blank the main window's displays when reports stop, after a reset and when
// the polling mode changes.
#pragma once

namespace zelkon {

class Application;
class Panel;

// Decodes what is already waiting at the port, then empties the time, timing, mode, status and
// position fields and greys the alarm and PPS LEDs; with satellite rows also resets the twelve
// rows to "0" / "0.0".
void ClearMainDisplay(Application& app, bool withSatelliteRows);

// Empties and greys the self-survey and timing-output fields and greys the PPS and alarm LEDs:
// the timing display does not apply.
void GreyTimingPanels(Application& app);

// The sources of the main window's time, position, mode and status: the timing superpackets
// (0x8F-AB, 0x8F-AC) while "Poll Timing P&ackets" is checked, the time, comprehensive time and
// health reports (0x41, 0x8F-0B, 0x46) while it is not. A replay shows both: a recording holds
// what the receiver sent, whatever the check mark says now.
bool MainShowsTimingPackets(Application& app);
bool MainShowsTimeReports(Application& app);

// Panel_Latitude and Panel_Longitude of the main window, in the style LatLonDegMin chooses.
void FormatLatLon(Application& app, double latitudeDeg, double longitudeDeg);

// The time texts of text/time_format.h written into a panel.
void FormatWeekTime(float seconds, Panel& panel, bool timeOnly);
void FormatTimeOfDay(double seconds, Panel& panel);
void FormatGpsDate(double gpsSeconds, Panel& panel);

}  // namespace zelkon
