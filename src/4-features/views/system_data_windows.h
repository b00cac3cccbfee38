// The handlers of the system data windows: the almanac of one satellite, the almanac health page
// and the UTC parameters. Each empties its values and asks the receiver again whenever it is
// activated and on its refresh button; the almanac window also when another satellite is chosen.
#pragma once

#include "reports/system_data.h"

namespace zelkon {

class Application;
class TForm_AlmanacData;
class TForm_AlmHealth;
class TForm_UTCParam;

void WireAlmanacDataWindow(Application& app, TForm_AlmanacData& form);
void WireAlmHealthWindow(Application& app, TForm_AlmHealth& form);
void WireUtcParamWindow(Application& app, TForm_UTCParam& form);

// 0x40: the almanac window's ten values, when the report is of the satellite chosen there.
void ShowAlmanac(TForm_AlmanacData& form, const Almanac& report);
// 0x49: the health of each satellite in the almanac health window.
void ShowAlmanacHealth(TForm_AlmHealth& form, const AlmanacHealth& report);
// 0x4F: the UTC parameters window.
void ShowUtcParams(TForm_UTCParam& form, const UtcParams& report);

}  // namespace zelkon
