#include "views/monitoring_windows.h"

namespace zelkon {

void WireSatelliteWindows(Application&) {}
void WireInfoWindows(Application&) {}

}  // namespace zelkon
