#include "tools/test_modes.h"

#include "base/application.h"
#include "base/setup_fields.h"
#include "main/main_form.h"
#include "tools/test_modes_form.h"

namespace zelkon {

TestModeValues ReadUserTime(const TForm_Test& form) {
  FieldReader read;
  const int64_t week = read.Whole(form.Edit_Week, "Week Number", kU16);
  const int64_t timeOfWeek = read.Whole(form.Edit_TOW, "TOW", kU32);
  TestModeValues values;
  values.warning = read.Warning();
  if (values.warning.empty()) {
    values.week = static_cast<int>(week);
    values.timeOfWeek = static_cast<uint32_t>(timeOfWeek);
  }
  return values;
}

TestModeValues ReadTestUtcParams(const TForm_Test& form) {
  FieldReader read;
  TestUtcParams utc;
  // In the order the window reads them, so the first field without a value is the one named.
  utc.a0 = read.Single(form.Edit_A_0, "A_0");
  utc.a1 = read.Single(form.Edit_A_1, "A_1");
  utc.deltaTls = static_cast<int>(read.Whole(form.Edit_t_LS, "delta_t_LS", kI16));
  utc.tot = static_cast<uint32_t>(read.Whole(form.Edit_t_ot, "t_ot", kU32));
  utc.wnT = static_cast<int>(read.Whole(form.Edit_WN_t, "WN_t", kU16));
  utc.wnLsf = static_cast<int>(read.Whole(form.Edit_WN_LSF, "WN_LSF", kU16));
  utc.dn = static_cast<int>(read.Whole(form.Edit_DN, "DN", kU16));
  utc.deltaTlsf = static_cast<int>(read.Whole(form.Edit_t_LSF, "delta_t_LSF", kI16));
  TestModeValues values;
  values.warning = read.Warning();
  if (values.warning.empty()) values.utc = utc;
  return values;
}

void WireTestWindow(Application& app, TForm_Test& form) {
  form.Button_SetWeek.OnClick = [&app, &form] {
    const TestModeValues values = ReadUserTime(form);
    if (!values.warning.empty()) return WarnNotSent(app, values.warning);
    SendUserTime(app, *values.week, *values.timeOfWeek);
  };
  form.Button_SetUTC.OnClick = [&app, &form] {
    const TestModeValues values = ReadTestUtcParams(form);
    if (!values.warning.empty()) return WarnNotSent(app, values.warning);
    SendTestUtcParams(app, *values.utc);
  };
  form.Button_EndTest.OnClick = [&app] { SendExitTestMode(app); };
  // The receiver stays in whatever mode it was put.
  form.Button_Close.OnClick = [&form] { form.Close(); };
  app.Window<TForm_Main>().ViewTestModes.OnClick = [&app, &form] {
    if (app.state.EngineeringMode) form.Show();
  };
}

}  // namespace zelkon
