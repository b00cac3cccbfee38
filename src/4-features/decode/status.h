// The display steps of the status and satellite reports, which write the main and tracking windows.
#pragma once

#include "reports/status.h"

namespace zelkon {

class Application;
class Panel;

// 0x46: the main window's status, unless the timing packets are polled.
void ShowHealth(Application& app, const Health& report);
// 0x5C: the channel's row of the tracking window and its satellite and signal panels of the main
// window; a channel beyond the twelfth has no row and changes nothing.
void ShowTrackingStatus(Application& app, const TrackingStatus& report);
// 0x6D: the dilutions and the selection list of the tracking window, and the selection the
// satellite panels are coloured by.
void ShowSatelliteSelection(Application& app, const SatelliteSelection& report);

// Blanks the satellite rows of channels no tracking report refreshed for five poll rounds.
void ExpireTrackingChannels(Application& app);
// Paints a main-window satellite panel from the last selection list: green used for fixes,
// yellow excluded (TRAIM reject), window background otherwise.
void ColourSvPanel(Application& app, int prn, Panel& panel);

}  // namespace zelkon
