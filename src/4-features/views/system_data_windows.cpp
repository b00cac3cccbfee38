// The answers (0x40, 0x49, 0x4F) refill the windows through their decoders; the handlers here only
// empty the values, so that a receiver that does not answer leaves them empty, and send the query.
#include "views/system_data_windows.h"

#include "base/application.h"
#include "commands/commands.h"
#include "views/alm_health_form.h"
#include "views/almanac_data_form.h"
#include "views/utc_param_form.h"

namespace zelkon {
namespace {

void QueryAlmanac(Application& app) {
  TForm_AlmanacData& f = app.Window<TForm_AlmanacData>();
  for (Panel* panel : f.ValuePanels())
    panel->SetCaption("");
  SendAlmanacQuery(app, f.ComboBox_SV.ItemIndex() + 1);
}

void QueryAlmanacHealth(Application& app) {
  TForm_AlmHealth& f = app.Window<TForm_AlmHealth>();
  for (size_t i = 0; i < f.Panel_SV.size(); ++i)
    f.Panel_SV[i].SetCaption("");
  SendAlmanacHealthQuery(app);
}

void QueryUtcParams(Application& app) {
  for (Panel* panel : app.Window<TForm_UTCParam>().ValuePanels())
    panel->SetCaption("");
  SendUtcParamsQuery(app);
}

}  // namespace

void WireAlmanacDataWindow(Application& app, TForm_AlmanacData& form) {
  form.OnActivate = [&app] { QueryAlmanac(app); };
  form.ComboBox_SV.OnChange = [&app] { QueryAlmanac(app); };
  form.Button_Query.OnClick = [&app] { QueryAlmanac(app); };
}

void WireAlmHealthWindow(Application& app, TForm_AlmHealth& form) {
  form.OnActivate = [&app] { QueryAlmanacHealth(app); };
  form.Button_Query.OnClick = [&app] { QueryAlmanacHealth(app); };
}

void WireUtcParamWindow(Application& app, TForm_UTCParam& form) {
  form.OnActivate = [&app] { QueryUtcParams(app); };
  form.Button_Query.OnClick = [&app] { QueryUtcParams(app); };
}

}  // namespace zelkon
