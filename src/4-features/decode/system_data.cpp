// Diagnostic and system data reports: the segment status, the fatal reports, and the almanac,
// almanac health and UTC parameters the system data windows asked for.
#include "decode/system_data.h"

#include "base/application.h"
#include "config/segments.h"
#include "config/segments_form.h"
#include "text/printf.h"
#include "tools/reset_test.h"
#include "views/alm_health_form.h"
#include "views/almanac_data_form.h"
#include "views/message_form.h"
#include "views/message_log.h"
#include "views/utc_param_form.h"

namespace zelkon {

void ShowSegmentStatus(Application& app, const SegmentStatus& r) {
  WriteSegmentStatus(app.Window<TForm_EEPROM>(), r.status);
  // Kept in the log without showing it: the lamps show the status, the log its history.
  MessageLogSeparator(app);
  MessageLogAppend(app, SegmentStatusLines(r.status));
}

void ShowFatalReport(Application& app, const FatalReport& r) {
  app.Window<TForm_Message>().Show();
  MessageLogSeparator(app);
  MessageLogAppend(app, r.exception ? "Application Fatal Exception:" : "Application Fatal Error:");
  MessageLogAppend(app, r.text + "\r\n");
  if (r.exception) {
    ResetTestOnFatalException(app);
  } else {
    ResetTestOnFatalError(app);
  }
}

// An almanac of another satellite than the one chosen (the answer to an earlier choice) is not
// shown.
void ShowAlmanac(Application& app, const Almanac& r) {
  TForm_AlmanacData& f = app.Window<TForm_AlmanacData>();
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

void ShowAlmanacHealth(Application& app, const AlmanacHealth& r) {
  TForm_AlmHealth& f = app.Window<TForm_AlmHealth>();
  for (size_t i = 0; i < r.health.size(); ++i)
    f.Panel_SV[i].SetCaption(Printf("%X", r.health[i]));
}

void ShowUtcParams(Application& app, const UtcParams& r) {
  TForm_UTCParam& f = app.Window<TForm_UTCParam>();
  f.Panel_A0.SetCaption(FixedOrScientific(r.a0));
  f.Panel_A1.SetCaption(FixedOrScientific(r.a1));
  f.Panel_AETls.SetCaption(Printf("%d", r.deltaTls));
  f.Panel_Tot.SetCaption(Printf("%.2f", r.tot));
  f.Panel_WNt.SetCaption(Printf("%d", r.wnT));
  f.Panel_WNlsf.SetCaption(Printf("%d", r.wnLsf));
  f.Panel_DN.SetCaption(Printf("%d", r.dn));
  f.Panel_AETlsf.SetCaption(Printf("%d", r.deltaTlsf));
}

// Called by the dispatcher in engineering mode only.
}  // namespace zelkon
