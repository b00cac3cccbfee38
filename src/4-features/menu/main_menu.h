// The main window's menu items and clickable display elements.
#pragma once

namespace zelkon {

class Application;
class TForm_Main;

void WireMainWindow(Application& app, TForm_Main& form);

// "Poll Timing P&ackets": switching polling on asks first; each switch is stored as "NTP".
void ControlPollingTimingPktsClick(Application& app);
// Inverts the latitude/longitude style; the next position report uses it.
void LLAToggle(Application& app);

}  // namespace zelkon
