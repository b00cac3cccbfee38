// The monitoring windows: the satellite windows that query one satellite, and the product,
// velocity/position and additional timing windows; the display steps of the reports that write
// only one of them, and their handlers. The tracking window has none: it only
// shows what the tracking and selection reports write, and closing it just hides it.
#pragma once

#include "reports/position.h"
#include "reports/status.h"

namespace zelkon {

class Application;
class TForm_AddTiming;
class TForm_EphemStat;
class TForm_Product;
class TForm_RawMeas;
class TForm_VelPos;

// 0x5A: the raw measurement window, when the report is of the satellite whose tab is shown.
void ShowRawMeasurement(TForm_RawMeas& form, const RawMeasurement& report);
// 0x5B: the ephemeris status window, its selector moved to the report's satellite.
void ShowEphemerisStatus(TForm_EphemStat& form, const EphemerisStatus& report);
// 0x42, 0x83: the ECEF position group of the position and velocity window.
void ShowEcefPositionSingle(TForm_VelPos& form, const EcefPositionSingle& report);
void ShowEcefPositionDouble(TForm_VelPos& form, const EcefPositionDouble& report);
// 0x43, 0x56: its velocity groups.
void ShowEcefVelocity(TForm_VelPos& form, const EcefVelocity& report);
void ShowEnuVelocity(TForm_VelPos& form, const EnuVelocity& report);
// 0x4A of 20 bytes, 0x84: its LLA position group.
void ShowLlaPositionSingle(TForm_VelPos& form, const LlaPositionSingle& report);
void ShowLlaPositionDouble(TForm_VelPos& form, const LlaPositionDouble& report);

void WireRawMeasWindow(Application& app, TForm_RawMeas& form);
void WireEphemStatWindow(Application& app, TForm_EphemStat& form);
void WireProductWindow(Application& app, TForm_Product& form);
void WireVelPosWindow(Application& app, TForm_VelPos& form);
void WireAddTimingWindow(Application& app, TForm_AddTiming& form);

}  // namespace zelkon
