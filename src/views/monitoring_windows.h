// The monitoring windows' own handlers: the satellite windows that query one satellite, and the
// product, velocity/position and additional timing windows.
#pragma once

namespace zelkon {

class Application;

// TForm_Track, TForm_RawMeas, TForm_EphemStat.
void WireSatelliteWindows(Application& app);
// TForm_Product, TForm_VelPos, TForm_AddTiming.
void WireInfoWindows(Application& app);

}  // namespace zelkon
