// The monitoring windows' own handlers: the satellite windows that query one satellite, and the
// product, velocity/position and additional timing windows. The tracking window has none: it only
// shows what the tracking and selection reports write, and closing it just hides it.
#pragma once

namespace zelkon {

class Application;
class TForm_AddTiming;
class TForm_EphemStat;
class TForm_Product;
class TForm_RawMeas;
class TForm_VelPos;

void WireRawMeasWindow(Application& app, TForm_RawMeas& form);
void WireEphemStatWindow(Application& app, TForm_EphemStat& form);
void WireProductWindow(Application& app, TForm_Product& form);
void WireVelPosWindow(Application& app, TForm_VelPos& form);
void WireAddTimingWindow(Application& app, TForm_AddTiming& form);

}  // namespace zelkon
