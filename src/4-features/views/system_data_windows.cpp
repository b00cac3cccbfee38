// The answers (0x40, 0x49, 0x4F) refill the windows through their display steps below; the handlers
// only empty the values, so that a receiver that does not answer leaves them empty, and send the
// query.
#include "views/system_data_windows.h"

#include "base/application.h"
#include "commands/commands.h"
#include "text/printf.h"
#include "views/alm_health_form.h"
#include "views/almanac_data_form.h"
#include "views/utc_param_form.h"

namespace zelkon {
namespace {

void QueryAlmanac(TForm_AlmanacData& f, CommandSender& out) {
  for (Panel* panel : f.ValuePanels())
    panel->SetCaption("");
  SendAlmanacQuery(out, f.ComboBox_SV.ItemIndex() + 1);
}

void QueryAlmanacHealth(TForm_AlmHealth& f, CommandSender& out) {
  for (size_t i = 0; i < f.Panel_SV.size(); ++i)
    f.Panel_SV[i].SetCaption("");
  SendAlmanacHealthQuery(out);
}

void QueryUtcParams(TForm_UTCParam& f, CommandSender& out) {
  for (Panel* panel : f.ValuePanels())
    panel->SetCaption("");
  SendUtcParamsQuery(out);
}

}  // namespace

void WireAlmanacDataWindow(Application& app, TForm_AlmanacData& form) {
  const auto query = [&form, &app] { QueryAlmanac(form, app); };
  form.OnActivate = query;
  form.ComboBox_SV.OnChange = query;
  form.Button_Query.OnClick = query;
}

void WireAlmHealthWindow(Application& app, TForm_AlmHealth& form) {
  const auto query = [&form, &app] { QueryAlmanacHealth(form, app); };
  form.OnActivate = query;
  form.Button_Query.OnClick = query;
}

void WireUtcParamWindow(Application& app, TForm_UTCParam& form) {
  const auto query = [&form, &app] { QueryUtcParams(form, app); };
  form.OnActivate = query;
  form.Button_Query.OnClick = query;
}

// An almanac of another satellite than the one chosen (the answer to an earlier choice) is not
// shown.
void ShowAlmanac(TForm_AlmanacData& f, const Almanac& r) {
  if (r.prn != f.ComboBox_SV.ItemIndex() + 1) return;
  f.Panel_T_zc.SetCaption(Printf("%.0f", r.collectionTime));
  f.Panel_WeekNum.SetCaption(Printf("%d", r.week));
  f.Panel_Eccentricity.SetCaption(FixedOrScientific(r.eccentricity));
  f.Panel_T_oa.SetCaption(Printf("%.0f", r.almanacTime));
  f.Panel_i_o.SetCaption(FixedOrScientific(r.inclination));
  f.Panel_OMEGA_dot.SetCaption(FixedOrScientific(r.rightAscensionRate));
  f.Panel_SqRootA.SetCaption(FixedOrScientific(r.sqrtSemiMajorAxis));
  f.Panel_OMEGAo.SetCaption(FixedOrScientific(r.rightAscension));
  f.Panel_Omega.SetCaption(FixedOrScientific(r.argumentOfPerigee));
  f.Panel_Mo.SetCaption(FixedOrScientific(r.meanAnomaly));
}

void ShowAlmanacHealth(TForm_AlmHealth& f, const AlmanacHealth& r) {
  for (size_t i = 0; i < r.health.size(); ++i)
    f.Panel_SV[i].SetCaption(Printf("%X", r.health[i]));
}

void ShowUtcParams(TForm_UTCParam& f, const UtcParams& r) {
  f.Panel_A0.SetCaption(FixedOrScientific(r.a0));
  f.Panel_A1.SetCaption(FixedOrScientific(r.a1));
  f.Panel_AETls.SetCaption(Printf("%d", r.deltaTls));
  f.Panel_Tot.SetCaption(Printf("%.2f", r.tot));
  f.Panel_WNt.SetCaption(Printf("%d", r.wnT));
  f.Panel_WNlsf.SetCaption(Printf("%d", r.wnLsf));
  f.Panel_DN.SetCaption(Printf("%d", r.dn));
  f.Panel_AETlsf.SetCaption(Printf("%d", r.deltaTlsf));
}

}  // namespace zelkon
