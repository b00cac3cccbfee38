// The display steps of the position, velocity and time reports.
#pragma once

#include "reports/position.h"

namespace zelkon {

class Application;

// 0x41: the main window's time group, unless the timing packets are polled; takes up a pending
// "Down&load Time To PC".
void ShowGpsTime(Application& app, const GpsTime& report);
// 0x42, 0x83: the ECEF position group of the position and velocity window.
void ShowEcefPositionSingle(Application& app, const EcefPositionSingle& report);
void ShowEcefPositionDouble(Application& app, const EcefPositionDouble& report);
// 0x43, 0x56: the velocity groups of the position and velocity window.
void ShowEcefVelocity(Application& app, const EcefVelocity& report);
void ShowEnuVelocity(Application& app, const EnuVelocity& report);
// 0x4A of 20 bytes, 0x84: the LLA position group of the position and velocity window.
void ShowLlaPositionSingle(Application& app, const LlaPositionSingle& report);
void ShowLlaPositionDouble(Application& app, const LlaPositionDouble& report);
// 0x4A of 9 bytes: the altitude window, and the segment read-back's reference altitude.
void ShowReferenceAltitude(Application& app, const ReferenceAltitude& report);
// 0x4E: the initial time window's answer light.
void ShowTimeAccepted(Application& app, const TimeAccepted& report);
// 0x8F-0B: the additional timing window; unless the timing packets are polled also the main
// window's mode and position.
void ShowComprehensiveTime(Application& app, const ComprehensiveTime& report);

}  // namespace zelkon
