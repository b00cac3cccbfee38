// The handlers of the system data windows: the almanac of one satellite, the almanac health page
// and the UTC parameters. Each empties its values and asks the receiver again whenever it is
// activated and on its refresh button; the almanac window also when another satellite is chosen.
#pragma once

namespace zelkon {

class Application;
class TForm_AlmanacData;
class TForm_AlmHealth;
class TForm_UTCParam;

void WireAlmanacDataWindow(Application& app, TForm_AlmanacData& form);
void WireAlmHealthWindow(Application& app, TForm_AlmHealth& form);
void WireUtcParamWindow(Application& app, TForm_UTCParam& form);

}  // namespace zelkon
